// Speed profiles: full and short trapezoidal and S-curve moves, constant
// speed, deceleration, and the inverse time lookup.
#include "sim/machine/motion_profile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace corvane::sim {
namespace {

// X axis at production speeds: 200 -> 600 mm/s in 0.03 s, 1000 pulses/mm.
constexpr double kStart = 200'000;
constexpr double kMax = 600'000;
constexpr double kAccel = 0.03;

TEST(SpeedProfile, FullTrapezoidTakesRampsPlusCruise) {
    const auto p = SpeedProfile::pointToPoint(100'000, kStart, kMax, kAccel, RampShape::Linear);
    // Each ramp covers (200k + 600k) / 2 * 0.03 = 12000 pulses.
    const double expected = 2 * kAccel + (100'000 - 24'000) / kMax;
    EXPECT_NEAR(p.duration(), expected, 1e-9);
    EXPECT_NEAR(p.distanceAt(p.duration()), 100'000, 1e-6);
    EXPECT_NEAR(p.distanceAt(kAccel), 12'000, 1e-6);
    EXPECT_NEAR(p.speedAt(0), kStart, 1e-6);
    EXPECT_NEAR(p.speedAt(kAccel / 2), (kStart + kMax) / 2, 1e-6);
    EXPECT_NEAR(p.speedAt(p.duration() / 2), kMax, 1e-6);
    EXPECT_FALSE(p.endless());
}

TEST(SpeedProfile, SCurveTakesTheSameTimeAndDistanceWithASmoothStart) {
    const auto t = SpeedProfile::pointToPoint(100'000, kStart, kMax, kAccel, RampShape::Linear);
    const auto s = SpeedProfile::pointToPoint(100'000, kStart, kMax, kAccel, RampShape::SCurve);
    EXPECT_NEAR(s.duration(), t.duration(), 1e-12);
    EXPECT_NEAR(s.distanceAt(s.duration()), 100'000, 1e-6);
    EXPECT_NEAR(s.distanceAt(kAccel), t.distanceAt(kAccel), 1e-6);
    // The S-curve starts gently and is behind early in the ramp; its speed
    // passes the midpoint at mid-ramp like the trapezoid.
    EXPECT_LT(s.distanceAt(kAccel / 4), t.distanceAt(kAccel / 4));
    EXPECT_LT(s.speedAt(kAccel / 4), t.speedAt(kAccel / 4));
    EXPECT_NEAR(s.speedAt(kAccel / 2), (kStart + kMax) / 2, 1e-6);
    // Monotonic distance all along.
    double last = -1;
    for (double at = 0; at <= s.duration(); at += s.duration() / 500) {
        const double d = s.distanceAt(at);
        EXPECT_GE(d, last);
        last = d;
    }
}

TEST(SpeedProfile, ShortMoveLowersThePeakAndKeepsTheRate) {
    for (RampShape shape : {RampShape::Linear, RampShape::SCurve}) {
        const auto p = SpeedProfile::pointToPoint(10'000, kStart, kMax, kAccel, shape);
        const double rate = (kMax - kStart) / kAccel;
        const double peak = std::sqrt(kStart * kStart + rate * 10'000);
        EXPECT_NEAR(p.duration(), 2 * (peak - kStart) / rate, 1e-9);
        EXPECT_NEAR(p.speedAt(p.duration() / 2), peak, 1.0);
        EXPECT_LT(peak, kMax);
        EXPECT_NEAR(p.distanceAt(p.duration()), 10'000, 1e-6);
    }
}

TEST(SpeedProfile, EdgeCasesOfSpeedsAndDistance) {
    // Nothing to do.
    EXPECT_EQ(SpeedProfile::pointToPoint(0, kStart, kMax, kAccel, RampShape::Linear).duration(), 0);
    // No ramp time: straight at max speed.
    auto p = SpeedProfile::pointToPoint(60'000, kStart, kMax, 0, RampShape::Linear);
    EXPECT_NEAR(p.duration(), 0.1, 1e-12);
    // A start speed above the max speed runs at the max speed.
    p = SpeedProfile::pointToPoint(1000, 1500, 1250, 0.13, RampShape::Linear);
    EXPECT_NEAR(p.duration(), 0.8, 1e-12);
    // Negative distance and speeds count by their size.
    p = SpeedProfile::pointToPoint(-60'000, -kStart, -kMax, 0, RampShape::Linear);
    EXPECT_NEAR(p.duration(), 0.1, 1e-12);
}

TEST(SpeedProfile, ConstantSpeedRunsWithoutEnd) {
    const auto p = SpeedProfile::constantSpeed(10'000, 20'000, 0.03, RampShape::Linear);
    EXPECT_TRUE(p.endless());
    EXPECT_NEAR(p.distanceAt(0.03), 450, 1e-9);
    EXPECT_NEAR(p.distanceAt(1.03), 20'450, 1e-6);
    EXPECT_NEAR(p.speedAt(5), 20'000, 1e-9);
    EXPECT_NEAR(p.timeToReach(20'450), 1.03, 1e-9);
}

TEST(SpeedProfile, DecelerationUsesTheMoveRate) {
    const auto d = SpeedProfile::deceleration(kMax, kStart, kMax, kAccel, RampShape::Linear);
    EXPECT_NEAR(d.duration(), kAccel, 1e-12);
    EXPECT_NEAR(d.distanceAt(kAccel), 12'000, 1e-6);
    const auto half = SpeedProfile::deceleration(400'000, kStart, kMax, kAccel, RampShape::SCurve);
    EXPECT_NEAR(half.duration(), kAccel / 2, 1e-12);
    // At or below the start speed the axis stops at once.
    EXPECT_EQ(
        SpeedProfile::deceleration(kStart, kStart, kMax, kAccel, RampShape::Linear).duration(), 0);
}

TEST(SpeedProfile, TimeToReachInvertsDistance) {
    for (RampShape shape : {RampShape::Linear, RampShape::SCurve}) {
        const auto p = SpeedProfile::pointToPoint(50'000, kStart, kMax, kAccel, shape);
        for (double at : {0.001, 0.01, 0.029, 0.05, 0.09, p.duration() - 0.001}) {
            EXPECT_NEAR(p.timeToReach(p.distanceAt(at)), at, 1e-9);
        }
        EXPECT_TRUE(std::isinf(p.timeToReach(50'001)));
    }
}

}  // namespace
}  // namespace corvane::sim
