// What stands behind the motion-card calls of this build: the simulated
// machine (the default) or real cards.
#pragma once

class QWidget;

namespace corvane::app {

class SimulatedMachinePanel;

// True when the d1000 calls drive the simulated machine.
bool simulatedMachineBehindCards();

// On the simulated machine without a parameter file of its own: heights the
// simulated head reaches (the defaults of a new machine leave the head up).
void fitParametersToSimulatedMachine();

// The panel of the simulated machine; null with real cards.
SimulatedMachinePanel* createSimulatedMachinePanel(QWidget* parent);

}  // namespace corvane::app
