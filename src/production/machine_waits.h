// The waiting idioms every worker uses: an input with a time limit, a pause
// in clock time.
#pragma once

#include <functional>

#include "machine/io_points.h"
#include "platform/clock.h"

namespace corvane {

// Polls the input until it is active (or inactive, with `active` false) or the
// limit in seconds is reached; `abort` (when given) ends the wait early. The
// input is read once more after the limit, so a worker that was held up by
// the system still sees a signal that arrived in time. Returns whether the
// input reached the wanted state.
bool waitForInput(const InputPoint& point, double limitSeconds, bool active = true,
                  const std::function<bool()>& abort = {});

inline void sleepMs(double ms) { platform::Clock::sleepMs(ms); }

}  // namespace corvane
