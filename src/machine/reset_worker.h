// The machine reset: homes the seven axes in their fixed order, then brings
// the turn axes, the press axis and the platform to their start positions.
#pragma once

#include <atomic>

#include "platform/message_target.h"

namespace corvane::platform {
class Worker;
}

namespace corvane {

class ResetWorker {
public:
    explicit ResetWorker(platform::MessageTarget& window) : window_(window) {}

    // One reset per resume; reports progress (MSG_RESET_PROGRESS) and the
    // result (MSG_RESET_DONE) to the window, then suspends itself.
    int run(platform::Worker& self);

    bool busy() const { return busy_.load(); }

    // One reset pass; true when every axis homed.
    bool resetOnce();

private:
    platform::MessageTarget& window_;
    std::atomic<bool> busy_{false};
};

// Rounds the L axis position to the nearest whole chain pitch.
void roundChainToPitch();

}  // namespace corvane
