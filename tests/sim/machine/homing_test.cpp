// The machine's origin searches, written out step by step against the
// d1000_* calls, find every axis's origin on the simulated machine from the
// awkward places: on the origin, beyond it, on a limit, and fail on an
// emergency stop.
#include <gtest/gtest.h>

#include <functional>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

// Homing parameters of one axis, as the machine program configures them.
struct HomingAxis {
    Axis axis;
    int u;         // pulses per unit
    double fast;   // home fast speed, units/s
    double slow;   // home slow speed
    int d;         // +1 when the search runs positive
    double accel;  // s
};

constexpr HomingAxis kX{Axis::X, 1000, 20, 10, -1, 0.03};
constexpr HomingAxis kY{Axis::Y, 1000, 20, 10, +1, 0.03};
constexpr HomingAxis kD1{Axis::D1, 1000, 8, 5, +1, 0.03};
constexpr HomingAxis kD2{Axis::D2, 1000, 2.5, 1.5, +1, 0.03};
constexpr HomingAxis kH{Axis::H, 1000, 2.5, 1.5, +1, 0.13};
constexpr HomingAxis kP{Axis::P, 166, 6, 4, +1, 0.13};
constexpr HomingAxis kL{Axis::L, 1000, 4.5, 1.5, +1, 0.03};

// One origin search; the frozen clock advances by 1 ms per poll.
class Homer {
  public:
    Homer(const HomingAxis& axis, double timeout)
        : a_(axis),
          id_(static_cast<int16_t>(axis.axis)),
          F_(static_cast<int32_t>(axis.u * axis.fast)),
          S_(static_cast<int32_t>(axis.u * axis.slow)),
          T_(axis.axis == Axis::D2 ? 10.0 : timeout) {}

    bool home() {
        switch (a_.axis) {
            case Axis::X:
            case Axis::Y:
                return homeXY();
            case Axis::D1:
                return homeD1();
            case Axis::D2:
                return homeD2();
            case Axis::H:
                return homeHP(a_.u / 2, 1);
            case Axis::P:
                return homeHP(3 * a_.u / 2, 3);
            case Axis::L:
                return homeL();
            default:
                return false;
        }
    }

  private:
    int status() const { return d1000_get_axis_status(id_); }
    bool atOrigin() const { return (status() & 4) != 0; }
    bool atPositive() const { return (status() & 2) != 0; }
    bool atNegative() const { return (status() & 1) != 0; }
    static bool emergency() {
        const WiredPoint& w = wiring(Input::EmergencyStop);
        return d1000_in_bit(static_cast<int16_t>(w.libraryBit())) == w.activeLevel;
    }

    void search(int32_t start, int32_t max) { d1000_home_move(id_, start, a_.d * max, a_.accel); }
    void run(int32_t v) { d1000_start_tv_move(id_, S_, v, a_.accel); }
    bool waitDone(double limit) {
        const double start = Clock::seconds();
        int code = d1000_check_done(id_);
        while (code == 0 && Clock::seconds() - start < limit) {
            Clock::advance(0.001);
            code = d1000_check_done(id_);
        }
        return code == 1;
    }
    bool step(int32_t distance) {
        d1000_start_t_move(id_, distance, S_, F_, a_.accel);
        return waitDone(T_) && !emergency();
    }
    // Polls until the condition, the card ending the move, the limit or an
    // emergency stop; stops the axis; false on an emergency stop.
    bool watch(const std::function<bool()>& condition, double limit) {
        const double start = Clock::seconds();
        double elapsed = 0;
        bool em = emergency();
        while (!em && !condition() && elapsed < limit) {
            elapsed = Clock::seconds() - start;
            const int state = d1000_check_done(id_);
            em = emergency();
            Clock::sleepMs(1);
            if (state != 0) {
                break;
            }
        }
        d1000_immediate_stop(id_);
        return !emergency();
    }
    auto origin() {
        return [this] { return atOrigin(); };
    }
    auto noOrigin() {
        return [this] { return !atOrigin(); };
    }

    bool homeXY() {
        enum { Search, Reverse, Leave } next = atOrigin() ? Leave : Search;
        for (int guard = 0; guard < 10; ++guard) {
            if (next == Search) {
                search(S_, F_);
                if (!watch(origin(), T_)) {
                    return false;
                }
                const bool seen = atOrigin();
                if (atPositive() || atNegative()) {
                    next = Reverse;
                    continue;
                }
                if (!seen || !step(-a_.d * 3 * a_.u)) {
                    return false;
                }
                search(S_ / 3, S_);
                return watch(origin(), T_) && atOrigin();
            }
            if (next == Reverse) {
                run(-a_.d * F_);
                if (!watch(origin(), T_)) {
                    return false;
                }
            }
            run(-a_.d * F_);
            if (!watch(noOrigin(), T_) || atOrigin() || !step(-a_.d * 5 * a_.u)) {
                return false;
            }
            next = Search;
        }
        return false;
    }

    bool homeD1() {
        if (atOrigin()) {
            run(-a_.d * F_);
            if (!watch(noOrigin(), T_) || atOrigin()) {
                return false;
            }
        }
        search(S_ / 2, S_);
        Clock::sleepMs(1);
        return watch(origin(), T_) && atOrigin();
    }

    bool homeD2() {
        for (int pass = 1; pass <= 2; ++pass) {
            if (atPositive()) {
                run(-a_.d * F_);
                if (!watch([this] { return atNegative() || atOrigin(); }, T_)) {
                    return false;
                }
            }
            if (atOrigin()) {
                run(-a_.d * F_);
                if (!watch(noOrigin(), T_) || atOrigin()) {
                    return false;
                }
            }
            search(S_ / 2, S_);
            Clock::sleepMs(1);
            if (!watch(origin(), T_)) {
                return false;
            }
            if (!(atPositive() && pass == 1)) {
                break;
            }
        }
        return atOrigin();
    }

    bool homeHP(int k, int m) {
        if (atOrigin()) {
            run(-a_.d * m * F_);
            Clock::sleepMs(2);
            if (!watch(noOrigin(), T_) || atOrigin() || !step(-a_.d * k)) {
                return false;
            }
        }
        search(S_, F_ / 2);
        if (!watch(origin(), T_) || !atOrigin() || !step(-a_.d * k)) {
            return false;
        }
        search(S_ / 3, S_);
        return watch(origin(), T_) && atOrigin();
    }

    bool homeL() {
        if (!step(-2 * a_.u)) {
            return false;
        }
        d1000_immediate_stop(id_);
        search(S_ / 2, S_);
        return watch(origin(), T_) && atOrigin();
    }

    HomingAxis a_;
    int16_t id_;
    int32_t F_;
    int32_t S_;
    double T_;
};

class HomingTest : public SimFixture {
  protected:
    static bool home(const HomingAxis& axis, double timeout = 25.0) {
        return Homer(axis, timeout).home();
    }
};

TEST_F(HomingTest, EveryAxisHomesFromPowerOnInResetOrder) {
    for (const HomingAxis& axis : {kH, kP, kD1, kD2, kX, kY, kL}) {
        EXPECT_TRUE(home(axis)) << static_cast<int>(axis.axis);
        EXPECT_EQ(status(axis.axis), 0b100) << static_cast<int>(axis.axis);
    }
}

TEST_F(HomingTest, XStartingOnItsOriginLeavesItPositiveFirst) {
    machine().placeAxis(Axis::X, 0.0);
    ASSERT_EQ(status(Axis::X), 0b100);
    EXPECT_TRUE(home(kX));
    EXPECT_NEAR(machine().axisPosition(Axis::X), 0.3, 1e-9);  // entered from the positive side
}

TEST_F(HomingTest, YRunningIntoItsLimitReversesAndFindsTheOrigin) {
    machine().placeAxis(Axis::Y, 5.0);
    EXPECT_TRUE(home(kY));
    bool sawLimit = false;
    for (const PlatformStop& s : machine().platformStops()) {
        sawLimit = sawLimit || s.doneCode == 3;
    }
    EXPECT_TRUE(sawLimit);
    EXPECT_NEAR(machine().axisPosition(Axis::Y), -0.3, 1e-9);
}

TEST_F(HomingTest, D2StandingOnItsPositiveLimit) {
    machine().placeAxis(Axis::D2, 12.0);
    ASSERT_EQ(status(Axis::D2), 0b010);
    EXPECT_TRUE(home(kD2));
    machine().placeAxis(Axis::D2, 11.5);  // just off the limit: the search meets it, second pass
    EXPECT_TRUE(home(kD2));
}

TEST_F(HomingTest, AxesHomeFromAnywhereInTheirWorkingRange) {
    const struct {
        HomingAxis axis;
        double start;
    } cases[] = {
        {kX, 400},  {kX, -9},  {kY, -200},   {kY, 249.9}, {kY, 0.2},  {kD1, 7.3},
        {kD1, -13}, {kD1, 0},  {kD2, -11.9}, {kD2, 3},    {kD2, 0.3}, {kH, -20},
        {kH, 0},    {kP, -40}, {kP, 0.1},    {kL, 0},     {kL, 2.1},  {kL, 1234.5},
    };
    for (const auto& c : cases) {
        machine().reset();
        machine().placeAxis(c.axis.axis, c.start);
        EXPECT_TRUE(home(c.axis)) << static_cast<int>(c.axis.axis) << " from " << c.start;
        EXPECT_EQ(status(c.axis.axis), 0b100)
            << static_cast<int>(c.axis.axis) << " from " << c.start;
    }
}

TEST_F(HomingTest, EmergencyStopDuringHomingFails) {
    machine().placeAxis(Axis::X, 100.0);
    machine().scheduleButton(Button::EmergencyStop, true, now() + 1.0);
    EXPECT_FALSE(home(kX));
    EXPECT_NE(d1000_check_done(id(Axis::X)), 0);  // stopped
    const double there = machine().axisPosition(Axis::X);
    EXPECT_GT(there, 50.0);
    advance(1.0);
    EXPECT_DOUBLE_EQ(machine().axisPosition(Axis::X), there);
}

}  // namespace
}  // namespace corvane::sim::testing
