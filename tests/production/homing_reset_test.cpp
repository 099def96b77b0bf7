// The machine reset: homing order, start positions, refusals and the
// emergency stop.
#include <gtest/gtest.h>

#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/window_messages.h"
#include "production_fixture.h"

using namespace corvane;
using namespace corvane::testing;

TEST_F(ProductionTest, ResetHomesTheAxesInOrderAndParksThePlatform) {
    useProgram({{"check", 1, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    machineParameters().xyStopPosition = {12.5, -4.0};
    machineParameters().offsetD1D2P = {0.5, -0.5, 1.0};
    std::vector<std::pair<int, int>> progress;
    console.setMessageObserver([&](uint32_t message, uintptr_t w, intptr_t l) {
        if (message == MSG_RESET_PROGRESS) progress.emplace_back(static_cast<int>(w), static_cast<int>(l));
    });
    ASSERT_TRUE(resetMachine()) << ::testing::PrintToString(messages_);
    EXPECT_EQ(progress, (std::vector<std::pair<int, int>>{{4, 0}, {5, 1}, {2, 2}, {3, 3}, {0, 4}, {1, 5}, {6, 6}}));
    EXPECT_EQ(console.view().status, "Reset Successly");
    EXPECT_FALSE(console.settings().NeedsReset.load());
    EXPECT_NEAR(axis(kAxisX).Position(), 12.5, 1e-9);
    EXPECT_NEAR(axis(kAxisY).Position(), -4.0, 1e-9);
    EXPECT_NEAR(axis(kAxisD1).Position(), 0.5, 1e-9);
    EXPECT_NEAR(axis(kAxisD2).Position(), -0.5, 1e-9);
    EXPECT_NEAR(axis(kAxisP).Position(), 1.0, 0.01);
    EXPECT_NEAR(axis(kAxisL).Position(), 0.0, 1e-9);
    // The tower shows green once the machine is ready.
    runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(output(kOutGreenLight).IsOn());
    EXPECT_FALSE(output(kOutYellowLight).IsOn());
}

TEST_F(ProductionTest, HomingFromAwkwardStartPositions) {
    useProgram({{"check", 1, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    startConsole();
    // X on its origin (it runs off toward positive first), Y beyond its
    // origin (its search runs into the positive limit), D2 on its positive
    // limit, H and P on their origins.
    machine().placeAxis(sim::Axis::X, 0.0);
    machine().placeAxis(sim::Axis::Y, 40.0);
    machine().placeAxis(sim::Axis::D2, 12.5);
    machine().placeAxis(sim::Axis::H, 0.0);
    machine().placeAxis(sim::Axis::P, 0.0);
    ASSERT_TRUE(axis(kAxisX).AtOrigin());
    ASSERT_TRUE(axis(kAxisD2).AtPositiveLimit());
    ASSERT_TRUE(resetMachine()) << ::testing::PrintToString(messages_);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(machine().axisPosition(static_cast<sim::Axis>(i)), 0.0, 0.31) << axis(i).name();
    }
}

TEST_F(ProductionTest, EmergencyStopWhileXHomesFailsTheReset) {
    useProgram({{"check", 1, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    console.setMessageObserver([&](uint32_t message, uintptr_t w, intptr_t) {
        if (message == MSG_RESET_PROGRESS && w == kAxisX) {
            machine().scheduleButton(sim::Button::EmergencyStop, true, platform::Clock::seconds() + 0.05);
        }
    });
    EXPECT_FALSE(resetMachine());
    EXPECT_EQ(messages_, std::vector<std::string>{"X reset failure"});
    EXPECT_EQ(console.view().status, "Reset Failure");
    EXPECT_TRUE(console.settings().NeedsReset.load());
}

TEST_F(ProductionTest, ResetChecksTheMachineFirst) {
    useProgram({{"check", 1, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    machine().stickInput(sim::Input::CtaOrigin, 1);
    console.Reset();
    EXPECT_FALSE(console.resetRunning());
    EXPECT_EQ(messages_, std::vector<std::string>{"CTA is not at origin"});
    machine().releaseInput(sim::Input::CtaOrigin);

    machine().pressButton(sim::Button::Stop);
    messages_.clear();
    console.Reset();
    EXPECT_EQ(messages_, std::vector<std::string>{"Stop-button pressed"});
    machine().releaseButton(sim::Button::Stop);

    Language = kChinese;
    machine().stickInput(sim::Input::UnloadLiftOrigin, 1);
    messages_.clear();
    console.Reset();
    EXPECT_EQ(messages_, std::vector<std::string>{"出板升降台不在原位，不能复位"});
    machine().releaseInput(sim::Input::UnloadLiftOrigin);
    Language = kEnglish;

    // While production runs a reset is refused in the status line.
    machineState().StopRequest = 0;
    console.Reset();
    EXPECT_EQ(console.view().status, "Stop production before resetting");
    machineState().StopRequest = 1;
}
