// The one clock every wait, time limit and delay of the machine reads.
//
// It stands in for the performance counter, Sleep and the tick count. Its time
// can run faster than real time (the simulated machine reads the same clock, so
// a test runs a whole board in a fraction of the real seconds), or be frozen and
// stepped by hand for tests that must be exactly repeatable.
#pragma once

#include <cstdint>

namespace corvane::platform {

class Clock {
public:
    // Ticks of the high-resolution counter since process start.
    static int64_t performanceCounter();
    // Counter ticks per second (fixed).
    static int64_t performanceFrequency() { return kFrequency; }
    // Clock time in seconds and nanoseconds since process start.
    static double seconds();
    static int64_t nanoseconds();
    // Milliseconds since process start, wrapping like a 32-bit tick count.
    static uint32_t tickCount();

    // Sleeps for the given clock time. 0 yields the processor once.
    static void sleepMs(double ms);
    // Sleeps in whole milliseconds (the platform's Sleep).
    static void sleep(uint32_t ms) { sleepMs(static_cast<double>(ms)); }

    // Clock seconds per real second; 1.0 at start.
    static void setTimeScale(double scale);
    static double timeScale();

    // Frozen clock: time stands still except through advance() and sleeps,
    // which advance it instead of waiting. For single-threaded tests.
    static void freeze();
    static void advance(double seconds);
    static void unfreeze();
    static bool frozen();

    static constexpr int64_t kFrequency = 10'000'000;
};

// Seconds elapsed since a counter value, as the machine's time limits compute it.
inline double secondsSince(int64_t startCount) {
    return static_cast<double>(Clock::performanceCounter() - startCount) /
           static_cast<double>(Clock::performanceFrequency());
}

}  // namespace corvane::platform
