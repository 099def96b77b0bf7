// The operator's production settings, held by the main window and read by the
// workers at the moment they need them.
#pragma once

#include <atomic>
#include <cstdint>

namespace corvane {

enum ProductionModeValue : int { kModeCircle = 0, kModeFullStep = 1, kModeOneStep = 2 };
enum PlugInModeValue : int { kPlugInNormal = 0, kPlugInSequence = 1, kPlugInInversions = 2 };
enum CheckValue : int { kCheck = 0, kUncheck = 1 };
enum ChainStateValue : int { kChainRun = 0, kChainNotRun = 1 };
enum LoadModeValue : int { kLoad = 0, kNotLoad = 1, kJustThroughPcb = 2 };

struct ProductionSettings {
    std::atomic<int> ProductionMode{kModeCircle};
    std::atomic<int> PlugInMode{kPlugInNormal};
    std::atomic<int> PlugInCheck{kCheck};
    std::atomic<int> StationCheck{kCheck};
    std::atomic<int> MarkCheck{kUncheck};
    std::atomic<int> ChainState{kChainRun};
    std::atomic<int> LoadMode{kLoad};
    std::atomic<int> ProductionSpeed{90};
    std::atomic<int> ManualDeskSpeed{10};
    std::atomic<int> PlannedBoards{1000};
    std::atomic<double> PlannedHours{24.0};
    std::atomic<int> NeedsReset{1};
    std::atomic<int> SafeDoorCheck{1};
    // Sticky copies of the lead sensors, set by the latch thread and by the
    // cycle, cleared by the cycle.
    std::atomic<uint8_t> LeadLatchLeft{0};
    std::atomic<uint8_t> LeadLatchRight{0};
};

}  // namespace corvane
