// Axis objects: unit conversion, profile choice, waits and stops, as the
// cards see them.
#include "machine/motion_axis.h"

#include <gtest/gtest.h>

#include <thread>

#include "fake_card.h"
#include "platform/message_box.h"

using namespace corvane;

namespace {

class MotionAxisTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_card::reset();
        InitMotionCards();
        BuildAxes();
        fake_card::reset();
    }
};

}  // namespace

TEST_F(MotionAxisTest, StartUpConfiguresTheSevenAxesAndZeroesThem) {
    fake_card::reset();
    BuildAxes();
    ASSERT_EQ(Axes().size(), 7u);
    const char* names[] = {"X", "Y", "D1", "D2", "H", "P", "L"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(axis(i).name(), names[i]);
        EXPECT_EQ(axis(i).cardAxis(), i);
    }
    EXPECT_EQ(axis(kAxisP).pulsesPerUnit(), 166);
    EXPECT_FALSE(axis(kAxisX).homeTowardPositive());
    EXPECT_TRUE(axis(kAxisY).homeTowardPositive());
    EXPECT_DOUBLE_EQ(axis(kAxisH).accelTime(), 0.13);
    EXPECT_DOUBLE_EQ(axis(kAxisL).stepDistance(), 12.5);
    EXPECT_EQ(fake_card::callsNamed("set_pls_outmode").size(), 7u);
    EXPECT_EQ(fake_card::callsNamed("immediate_stop").size(), 7u);
    const auto zeroed = fake_card::callsNamed("set_command_pos");
    ASSERT_EQ(zeroed.size(), 7u);
    for (const auto& c : zeroed) EXPECT_EQ(c.args[1], 0.0);
}

TEST_F(MotionAxisTest, UnitsBecomePulsesByTruncation) {
    axis(kAxisX).MoveTo(10.0005);
    axis(kAxisP).MoveBy(1.0);
    axis(kAxisX).MoveTo(-2.0009);
    const auto absolute = fake_card::callsNamed("start_sa_move");
    ASSERT_EQ(absolute.size(), 2u);
    EXPECT_EQ(absolute[0].args[1], 10000);
    EXPECT_EQ(absolute[1].args[1], -2000);  // toward zero, not down
    // Speeds are the axis's own, converted the same way.
    EXPECT_EQ(absolute[0].args[2], 200000);
    EXPECT_EQ(absolute[0].args[3], 600000);
    const auto relative = fake_card::callsNamed("start_s_move");
    ASSERT_EQ(relative.size(), 1u);
    EXPECT_EQ(relative[0].args[1], 166);
    EXPECT_EQ(relative[0].args[2], 166 * 500);
}

TEST_F(MotionAxisTest, SCurveFactorChoosesTheProfile) {
    axis(kAxisD1).MoveTo(1.0);
    const auto profile = fake_card::callsNamed("set_s_profile");
    ASSERT_EQ(profile.size(), 1u);
    EXPECT_DOUBLE_EQ(profile[0].args[1], 0.2);
    EXPECT_EQ(fake_card::state().calls.back().name, "start_sa_move");

    MotionAxis trapezoidal;
    trapezoidal.Configure("T", 2, 1, 1, 1000, 10, 20, 0.05, 1, 1, 0.0, 1);
    fake_card::reset();
    trapezoidal.MoveTo(1.5, 10, 20);
    trapezoidal.MoveBy(-1.0);
    trapezoidal.Jog(5, true);
    ASSERT_EQ(fake_card::state().calls.size(), 3u);
    EXPECT_EQ(fake_card::state().calls[0].name, "start_ta_move");
    EXPECT_DOUBLE_EQ(fake_card::state().calls[0].args[4], 0.05);
    EXPECT_EQ(fake_card::state().calls[1].name, "start_t_move");
    EXPECT_EQ(fake_card::state().calls[2].name, "start_tv_move");
    EXPECT_TRUE(fake_card::callsNamed("set_s_profile").empty());
}

TEST_F(MotionAxisTest, JogRunsAtHalfStartSpeedAndSignedMaximum) {
    axis(kAxisX).Jog(10, true);
    axis(kAxisX).Jog(10, false);
    const auto jogs = fake_card::callsNamed("start_sv_move");
    ASSERT_EQ(jogs.size(), 2u);
    EXPECT_EQ(jogs[0].args[1], 5000);
    EXPECT_EQ(jogs[0].args[2], 10000);
    EXPECT_EQ(jogs[1].args[1], 5000);
    EXPECT_EQ(jogs[1].args[2], -10000);
}

TEST_F(MotionAxisTest, PositionDividesByPulsesPerUnitOrIsRawWithoutThem) {
    fake_card::state().position[kAxisP] = 332;
    EXPECT_DOUBLE_EQ(axis(kAxisP).Position(), 2.0);
    MotionAxis raw;
    raw.Configure("R", 5, 1, 1, 0, 1, 1, 0.1, 1, 1, 0.2, 1);
    EXPECT_DOUBLE_EQ(raw.Position(), 332.0);
    axis(kAxisP).SetPosition(3.0);
    EXPECT_EQ(fake_card::callsNamed("set_command_pos").back().args[1], 498.0);
}

TEST_F(MotionAxisTest, WaitDoneWithZeroTimeoutReadsOnce) {
    fake_card::state().done[kAxisX] = {0};
    EXPECT_FALSE(axis(kAxisX).WaitDone(0));
    EXPECT_EQ(fake_card::state().doneReads, 1);
    fake_card::state().done[kAxisX] = {1};
    EXPECT_TRUE(axis(kAxisX).WaitDone(0));
}

TEST_F(MotionAxisTest, WaitDoneWithNegativeTimeoutWaitsForTheEnd) {
    fake_card::state().done[kAxisY] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_TRUE(axis(kAxisY).WaitDone(-1));
    EXPECT_EQ(fake_card::state().doneReads, 11);
}

TEST_F(MotionAxisTest, WaitDoneTimesOutAndReportsOnlyANormalEnd) {
    fake_card::state().done[kAxisY] = {0};
    EXPECT_FALSE(axis(kAxisY).WaitDone(0.02));
    EXPECT_GT(fake_card::state().doneReads, 1);
    fake_card::state().done[kAxisY] = {3};
    EXPECT_FALSE(axis(kAxisY).WaitDone(1.0));
}

TEST_F(MotionAxisTest, PAxisStoppedAtALimitSaysSo) {
    std::vector<std::string> shown;
    platform::setMessageBoxSink([&](const platform::MessageBoxRequest& r) {
        shown.push_back(r.text);
        return true;
    });
    fake_card::state().done[kAxisP] = {3};
    fake_card::state().done[kAxisH] = {3};
    EXPECT_FALSE(axis(kAxisH).WaitDone(1.0));
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(axis(kAxisP).WaitDone(1.0));
    platform::setMessageBoxSink(nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "遇限位停止");
}

TEST_F(MotionAxisTest, StatusBitsAndStops) {
    fake_card::state().status[kAxisD2] = 0x2 | 0x4;
    EXPECT_FALSE(axis(kAxisD2).AtNegativeLimit());
    EXPECT_TRUE(axis(kAxisD2).AtPositiveLimit());
    EXPECT_TRUE(axis(kAxisD2).AtOrigin());
    EXPECT_TRUE(axis(kAxisD2).DecelStop());
    EXPECT_TRUE(axis(kAxisD2).StopNow());
    EXPECT_EQ(fake_card::callsNamed("decel_stop").at(0).args[0], kAxisD2);
    EXPECT_EQ(fake_card::callsNamed("immediate_stop").at(0).args[0], kAxisD2);
}

TEST_F(MotionAxisTest, CardCountDecidesStartUpAndWhichAxesStop) {
    fake_card::state().cards = 1;
    EXPECT_FALSE(InitMotionCards());
    EXPECT_EQ(MotionCardCount(), 1);
    fake_card::state().calls.clear();
    StopAllAxes();
    const auto stops = fake_card::callsNamed("immediate_stop");
    ASSERT_EQ(stops.size(), 4u);
    EXPECT_EQ(stops.back().args[0], 3);

    fake_card::state().cards = 2;
    EXPECT_TRUE(InitMotionCards());
    fake_card::state().calls.clear();
    StopAllAxes();
    EXPECT_EQ(fake_card::callsNamed("immediate_stop").size(), 8u);
}

TEST_F(MotionAxisTest, LineUsesAxisASpeedsAndEachAxisOwnPulses) {
    MoveLine(axis(kAxisX), 10.5, axis(kAxisP), 2.0, true);
    MoveLine(axis(kAxisX), 1.0, axis(kAxisY), -1.0, false, 50, 80);
    const auto absolute = fake_card::callsNamed("start_ta_line");
    ASSERT_EQ(absolute.size(), 1u);
    EXPECT_EQ(absolute[0].args, (std::vector<double>{2, 0, 5, 10500, 332, 200000, 600000, 0.03}));
    const auto relative = fake_card::callsNamed("start_t_line");
    ASSERT_EQ(relative.size(), 1u);
    EXPECT_EQ(relative[0].args, (std::vector<double>{2, 0, 1, 1000, -1000, 50000, 80000, 0.03}));
    EXPECT_TRUE(fake_card::callsNamed("set_s_profile").empty());
}
