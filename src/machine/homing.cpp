// Origin search of each axis, built from the cards' trapezoidal calls.
#include <optional>

#include "machine/d1000.h"
#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"

namespace corvane {

namespace {

// The emergency-stop input; before the I/O tables exist nothing can press it.
bool emergencyStopActive() {
    return Inputs().size() > kInEmStop && input(kInEmStop).IsActive();
}

// One origin search: the building blocks share the axis's speeds and limit.
class OriginSearch {
public:
    OriginSearch(MotionAxis& axis, double limitSeconds)
        : axis_(axis),
          limit_(limitSeconds),
          u_(axis.pulsesPerUnit()),
          fast_(axis.toPulses(axis.homeFastSpeed())),
          slow_(axis.toPulses(axis.homeSlowSpeed())),
          d_(axis.homeTowardPositive() ? 1 : -1) {}

    int32_t u() const { return u_; }
    int32_t fast() const { return fast_; }
    int32_t slow() const { return slow_; }
    int32_t d() const { return d_; }

    // Card move toward the origin that the card ends on the switch.
    void search(int32_t start, int32_t max) {
        d1000_home_move(id(), start, d_ * max, axis_.accelTime());
    }
    // Constant-speed run at signed speed v.
    void run(int32_t v) { d1000_start_tv_move(id(), slow_, v, axis_.accelTime()); }
    // Relative move of `distance` pulses; false when it did not end normally or
    // the emergency stop is pressed.
    bool step(int32_t distance) {
        d1000_start_t_move(id(), distance, slow_, fast_, axis_.accelTime());
        if (!axis_.WaitDone(limit_)) {
            return false;
        }
        return !emergencyStopActive();
    }

    enum class Until { OriginSeen, OriginGone, NegativeLimitOrOrigin };

    // Watches the switches while the move runs, stops the axis and tells
    // whether the homing may go on (false after an emergency stop).
    bool watch(Until until, double limitSeconds) {
        const int64_t start = platform::Clock::performanceCounter();
        double elapsed = 0;
        int status = d1000_get_axis_status(id());
        bool emergency = emergencyStopActive();
        while (!emergency && !met(until, status) && elapsed < limitSeconds) {
            elapsed = platform::secondsSince(start);
            status = d1000_get_axis_status(id());
            const int state = axis_.MotionState();
            emergency = emergencyStopActive();
            platform::Clock::sleepMs(1);
            if (state != 0) {
                break;  // the card ended the move itself
            }
        }
        axis_.StopNow();
        return !emergency;
    }
    bool watch(Until until) { return watch(until, limit_); }

    // Read after the axis stopped, so that a switch reached in the last poll
    // counts.
    bool atOrigin() const { return axis_.AtOrigin(); }
    bool atPositiveLimit() const { return axis_.AtPositiveLimit(); }
    bool atAnyLimit() const { return axis_.AtPositiveLimit() || axis_.AtNegativeLimit(); }

private:
    static bool met(Until until, int status) {
        const bool negative = (status & 0x1) != 0;
        const bool origin = (status & 0x4) != 0;
        switch (until) {
            case Until::OriginSeen: return origin;
            case Until::OriginGone: return !origin;
            case Until::NegativeLimitOrOrigin: return negative || origin;
        }
        return false;
    }
    int16_t id() const { return static_cast<int16_t>(axis_.cardAxis()); }

    MotionAxis& axis_;
    double limit_;
    int32_t u_, fast_, slow_, d_;
};

using Until = OriginSearch::Until;

// X and Y: search; from a limit reverse until the origin, leave it and search
// again; the fine approach comes from the far side at a third of the slow speed.
bool homeXY(OriginSearch& s) {
    const int32_t d = s.d();
    bool leaveOrigin = s.atOrigin();
    // A broken switch must not send the axis back and forth for ever.
    for (int pass = 0; pass < 4; ++pass) {
        if (leaveOrigin) {
            s.run(-d * s.fast());
            if (!s.watch(Until::OriginGone)) return false;
            if (s.atOrigin()) return false;
            if (!s.step(-d * 5 * s.u())) return false;
        }
        s.search(s.slow(), s.fast());
        if (!s.watch(Until::OriginSeen)) return false;
        if (s.atAnyLimit()) {
            s.run(-d * s.fast());
            if (!s.watch(Until::OriginSeen)) return false;
            leaveOrigin = true;
            continue;
        }
        if (!s.atOrigin()) return false;
        if (!s.step(-d * 3 * s.u())) return false;
        s.search(s.slow() / 3, s.slow());
        if (!s.watch(Until::OriginSeen)) return false;
        return s.atOrigin();
    }
    return false;
}

bool homeD1(OriginSearch& s) {
    if (s.atOrigin()) {
        s.run(-s.d() * s.fast());
        if (!s.watch(Until::OriginGone)) return false;
        if (s.atOrigin()) return false;
    }
    s.search(s.slow() / 2, s.slow());
    platform::Clock::sleepMs(1);
    if (!s.watch(Until::OriginSeen)) return false;
    return s.atOrigin();
}

// D2 may stand on its positive limit: run off it first; at most two passes.
bool homeD2(OriginSearch& s) {
    constexpr double kLimit = 10.0;
    for (int pass = 0; pass < 2; ++pass) {
        if (s.atPositiveLimit()) {
            s.run(-s.d() * s.fast());
            if (!s.watch(Until::NegativeLimitOrOrigin, kLimit)) return false;
        }
        if (s.atOrigin()) {
            s.run(-s.d() * s.fast());
            if (!s.watch(Until::OriginGone, kLimit)) return false;
            if (s.atOrigin()) return false;
        }
        s.search(s.slow() / 2, s.slow());
        platform::Clock::sleepMs(1);
        if (!s.watch(Until::OriginSeen, kLimit)) return false;
        if (!s.atPositiveLimit()) break;
    }
    return s.atOrigin();
}

// H and P: leave the origin, coarse search at half the fast speed, back off,
// fine search.
bool homeHeadAxis(OriginSearch& s, int32_t k, int32_t m) {
    const int32_t d = s.d();
    if (s.atOrigin()) {
        s.run(-d * m * s.fast());
        platform::Clock::sleepMs(2);
        if (!s.watch(Until::OriginGone)) return false;
        if (s.atOrigin()) return false;
        if (!s.step(-d * k)) return false;
    }
    s.search(s.slow(), s.fast() / 2);
    if (!s.watch(Until::OriginSeen)) return false;
    if (!s.atOrigin()) return false;
    if (!s.step(-d * k)) return false;
    s.search(s.slow() / 3, s.slow());
    if (!s.watch(Until::OriginSeen)) return false;
    return s.atOrigin();
}

// L, the chain: always back off toward negative first.
bool homeChain(OriginSearch& s, MotionAxis& axis) {
    if (!s.step(-2 * s.u())) return false;
    axis.StopNow();
    s.search(s.slow() / 2, s.slow());
    if (!s.watch(Until::OriginSeen)) return false;
    return s.atOrigin();
}

}  // namespace

bool MotionAxis::Home(double timeoutSeconds) {
    OriginSearch search(*this, timeoutSeconds);
    switch (cardAxis_) {
        case kAxisX:
        case kAxisY: return homeXY(search);
        case kAxisD1: return homeD1(search);
        case kAxisD2: return homeD2(search);
        case kAxisH: return homeHeadAxis(search, search.u() / 2, 1);
        case kAxisP: return homeHeadAxis(search, 3 * search.u() / 2, 3);
        case kAxisL: return homeChain(search, *this);
        default: return false;
    }
}

}  // namespace corvane
