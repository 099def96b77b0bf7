// What the operator console shows; the screen redraws from it.
#pragma once

#include <string>

namespace corvane {

struct ConsoleView {
    std::string status;            // the machine state line (1044)
    bool statusVisible = true;
    bool resetRunning = false;
    int resetProgress = 0;         // 0..100
    bool menusEnabled = true;
    bool startEnabled = true;
    bool stopEnabled = true;
    bool alarmResetEnabled = true;
    bool resetEnabled = true;
    bool plannedCountEnabled = true;
    bool chainSelectorEnabled = true;
    bool cursorConfined = false;
    int selectedRow = -1;          // program list row, -1 = none
    std::string realSpeed;         // "Real speed:"
    std::string averageSpeed;      // "Average speed:"
    std::string completeCounter;   // "Counter of complete:"
    std::string ppm;               // "PPM:"
    bool leftLeadLamp = false;     // "Shear horn" lamps
    bool rightLeadLamp = false;
    bool panelBusy = false;        // a manual cut or the head button's homing runs
};

}  // namespace corvane
