// The clock seam: scaling, freezing, tick count.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using corvane::platform::Clock;

TEST(Clock, FrozenClockMovesOnlyWhenAdvancedOrSlept) {
    Clock::freeze();
    const int64_t t0 = Clock::performanceCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(Clock::performanceCounter(), t0);
    Clock::advance(0.25);
    EXPECT_EQ(Clock::performanceCounter() - t0, Clock::performanceFrequency() / 4);
    const uint32_t tick = Clock::tickCount();
    Clock::sleepMs(40);
    EXPECT_EQ(Clock::tickCount() - tick, 40u);
    Clock::unfreeze();
}

TEST(Clock, ScaledClockRunsFaster) {
    Clock::setTimeScale(20.0);
    const double start = Clock::seconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const double elapsed = Clock::seconds() - start;
    Clock::setTimeScale(1.0);
    EXPECT_GT(elapsed, 0.9);  // 50 ms real at 20x is one clock second
    EXPECT_LT(elapsed, 5.0);
}

TEST(Clock, SleepFollowsTheScale) {
    Clock::setTimeScale(10.0);
    const auto real0 = std::chrono::steady_clock::now();
    const double clock0 = Clock::seconds();
    Clock::sleepMs(500);
    const double realMs = std::chrono::duration<double, std::milli>(
                              std::chrono::steady_clock::now() - real0).count();
    const double clockMs = (Clock::seconds() - clock0) * 1000.0;
    Clock::setTimeScale(1.0);
    EXPECT_GE(clockMs, 500.0);
    EXPECT_LT(realMs, 400.0);
}

TEST(Clock, ScaleChangeKeepsTimeContinuous) {
    const double before = Clock::seconds();
    Clock::setTimeScale(100.0);
    const double after = Clock::seconds();
    Clock::setTimeScale(1.0);
    EXPECT_GE(after, before);
    EXPECT_LT(after - before, 1.0);
}
