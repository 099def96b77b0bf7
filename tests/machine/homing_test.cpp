// The machine's own origin searches (MotionAxis::Home) on the simulated
// machine: every axis from power-on in the reset's order, and from the
// awkward places: on its origin, beyond it, on a limit; an emergency stop
// fails the search and leaves the axis standing.
#include <gtest/gtest.h>

#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "sim/machine/simulated_machine.h"

using namespace corvane;
using corvane::platform::Clock;

namespace {

class HomingTest : public ::testing::Test {
protected:
    void SetUp() override {
        machine().reset();
        Clock::setTimeScale(8.0);
        ASSERT_TRUE(InitMotionCards());
        BuildAxes();
        BuildIoTables();
    }
    void TearDown() override { Clock::setTimeScale(1.0); }

    static sim::SimulatedMachine& machine() { return sim::SimulatedMachine::instance(); }
    static int status(int index) { return machine().getAxisStatus(static_cast<int16_t>(index)); }
    static void place(int index, double position) { machine().placeAxis(static_cast<sim::Axis>(index), position); }
    static double physical(int index) { return machine().axisPosition(static_cast<sim::Axis>(index)); }
};

constexpr int kOriginBit = 0b100;

}  // namespace

TEST_F(HomingTest, EveryAxisHomesFromPowerOnInResetOrder) {
    for (int index : {kAxisH, kAxisP, kAxisD1, kAxisD2, kAxisX, kAxisY, kAxisL}) {
        EXPECT_TRUE(axis(index).Home(25.0)) << axis(index).name();
        EXPECT_TRUE(axis(index).AtOrigin()) << axis(index).name();
    }
}

TEST_F(HomingTest, OriginsAreFoundFromTheAwkwardPlaces) {
    // X standing on its origin leaves it positive first and enters it again
    // from the positive side.
    place(kAxisX, 0.0);
    ASSERT_TRUE(axis(kAxisX).AtOrigin());
    EXPECT_TRUE(axis(kAxisX).Home(25.0));
    EXPECT_NEAR(physical(kAxisX), 0.3, 0.01);

    // Y beyond its origin runs into its limit, turns and finds it.
    machine().clearRecords();
    place(kAxisY, 5.0);
    EXPECT_TRUE(axis(kAxisY).Home(25.0));
    bool sawLimit = false;
    for (const auto& stop : machine().platformStops()) sawLimit = sawLimit || stop.doneCode == 3;
    EXPECT_TRUE(sawLimit);
    EXPECT_TRUE(axis(kAxisY).AtOrigin());

    // D2 on its positive limit, and just off it (the search meets the limit).
    place(kAxisD2, 12.0);
    ASSERT_TRUE(axis(kAxisD2).AtPositiveLimit());
    EXPECT_TRUE(axis(kAxisD2).Home(25.0));
    place(kAxisD2, 11.5);
    EXPECT_TRUE(axis(kAxisD2).Home(25.0));
    EXPECT_TRUE(axis(kAxisD2).AtOrigin());
}

TEST_F(HomingTest, AxesHomeFromAnywhereInTheirWorkingRange) {
    const struct {
        int axis;
        double start;
    } cases[] = {
        {kAxisX, 400},   {kAxisX, -9},   {kAxisY, -200}, {kAxisY, 249.9}, {kAxisY, 0.2},
        {kAxisD1, 7.3},  {kAxisD1, -13}, {kAxisD2, -11.9}, {kAxisD2, 3},  {kAxisD2, 0.3},
        {kAxisH, -20},   {kAxisH, 0},    {kAxisP, -40},  {kAxisP, 0.1},   {kAxisL, 2.1},
        {kAxisL, 1234.5},
    };
    for (const auto& c : cases) {
        place(c.axis, c.start);
        EXPECT_TRUE(axis(c.axis).Home(25.0)) << axis(c.axis).name() << " from " << c.start;
        EXPECT_EQ(status(c.axis) & kOriginBit, kOriginBit) << axis(c.axis).name() << " from " << c.start;
    }
}

TEST_F(HomingTest, AnEmergencyStopFailsTheSearchAndTheAxisStands) {
    place(kAxisX, 100.0);
    machine().scheduleButton(sim::Button::EmergencyStop, true, Clock::seconds() + 1.0);
    EXPECT_FALSE(axis(kAxisX).Home(25.0));
    const double there = physical(kAxisX);
    EXPECT_GT(there, 50.0);
    Clock::sleepMs(1000);
    EXPECT_DOUBLE_EQ(physical(kAxisX), there);
    machine().releaseButton(sim::Button::EmergencyStop);
}
