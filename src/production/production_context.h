// What the production workers share: the "main window object" as the
// workers see it.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <optional>

#include "platform/message_target.h"
#include "platform/window_messages.h"
#include "production/machine_state.h"
#include "production/production_counters.h"
#include "production/production_settings.h"
#include "production/program_source.h"

namespace corvane {

class ProductionStatistics;
class ChainFeed;

struct ProductionContext {
    ProductionContext(MachineState& state_, ProductionSettings& settings_,
                      platform::MessageTarget& window_, ProductionStatistics& statistics_,
                      ProductionCounters& counters_, const ProgramSource& program_)
        : state(state_),
          settings(settings_),
          window(window_),
          statistics(statistics_),
          counters(counters_),
          program(program_) {}
    ProductionContext(const ProductionContext&) = delete;
    ProductionContext& operator=(const ProductionContext&) = delete;

    MachineState& state;
    ProductionSettings& settings;
    platform::MessageTarget& window;
    ProductionStatistics& statistics;
    ProductionCounters& counters;
    const ProgramSource& program;
    ChainFeed* chain = nullptr;

    // Counter value of the last Start (run time of the statistics).
    std::atomic<int64_t> runStartCounter{0};
    // A chain request the cycle holds back until the next component record.
    std::atomic<int> chainRequestDeferred{0};

    // Locates a "mark" record's mark with the camera: the platform position
    // where the mark was centred, or nothing when it was not found. Empty
    // while the machine has no vision.
    std::function<std::optional<std::array<double, 2>>(const ProductionRecord&)> locateMark;

    // An alarm: StopRequest first, then the window hears of it before the
    // sender goes on.
    void raiseAlarm(int code) {
        state.StopRequest = 1;
        window.send(MSG_ALARM, static_cast<uintptr_t>(code), 1);
    }
    // An alarm that leaves StopRequest alone.
    void reportAlarm(int code) { window.send(MSG_ALARM, static_cast<uintptr_t>(code), 1); }

    bool quitting() const { return state.QuitRequest.load() != 0; }
    bool stopping() const {
        return state.StopRequest.load() != 0 || state.EmergencyStopActive.load() != 0;
    }
};

}  // namespace corvane
