// What every motion and I/O wait of the machine watches besides its own
// limit: the program closing (QuitRequest) and the emergency stop
// (EmergencyStopActive). The production side shares these two words with its
// machine state; the machine layer knows nothing else of production.
#pragma once

#include <atomic>

namespace corvane {

struct MachineStops {
    MachineStops() = default;
    MachineStops(const MachineStops&) = delete;
    MachineStops& operator=(const MachineStops&) = delete;

    // 1 at program exit: every wait ends at once.
    std::atomic<int> QuitRequest{0};
    // 1 from the Emergency stop command until Start.
    std::atomic<int> EmergencyStopActive{0};

    bool quitting() const { return QuitRequest.load() != 0; }
};

// The one set of stop words of the process.
MachineStops& machineStops();

}  // namespace corvane
