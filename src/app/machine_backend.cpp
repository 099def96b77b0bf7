// The motion-card backend of the build.
#include "app/machine_backend.h"

#include <filesystem>

#include "machine/machine_parameters.h"

#if CORVANE_SIMULATED_MACHINE
#include "app/simulated_machine_panel.h"
#endif

namespace corvane::app {

bool simulatedMachineBehindCards() {
    return CORVANE_SIMULATED_MACHINE != 0;
}

void fitParametersToSimulatedMachine() {
    if (!simulatedMachineBehindCards())
        return;
    std::error_code error;
    if (std::filesystem::exists(machineParameterFile(), error))
        return;
    MachineParameters& p = machineParameters();
    p.heightH1 = -8.0;
    p.heightH2 = -15.0;
    p.heightP = -10.0;
}

SimulatedMachinePanel* createSimulatedMachinePanel([[maybe_unused]] QWidget* parent) {
#if CORVANE_SIMULATED_MACHINE
    return new SimulatedMachinePanel(parent);
#else
    return nullptr;
#endif
}

}  // namespace corvane::app
