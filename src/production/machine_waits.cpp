// Input waits with time limits.
#include "production/machine_waits.h"

namespace corvane {

bool waitForInput(const InputPoint& point, double limitSeconds, bool active,
                  const std::function<bool()>& abort) {
    const int64_t start = platform::Clock::performanceCounter();
    for (;;) {
        if (point.IsActive() == active) {
            return true;
        }
        // The limit is compared in single precision, as the machine always did.
        if (static_cast<float>(platform::secondsSince(start)) >= static_cast<float>(limitSeconds)) {
            return point.IsActive() == active;
        }
        if (abort && abort()) {
            return false;
        }
        platform::Clock::sleepMs(1);
    }
}

}  // namespace corvane
