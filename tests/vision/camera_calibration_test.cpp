// The calibration thread on the simulated machine: runs that cannot
// calibrate end with their message; a run is stopped between its steps.
#include <thread>

#include "board_camera_fixture.h"
#include "vision/camera_calibration.h"

namespace corvane::testing {
namespace {

using vision::CalibrationOutcome;
using vision::CameraCalibration;

class CameraCalibrationTest : public BoardCameraTest {
  protected:
    static bool waitForRun(CameraCalibration& run) { return run.waitUntilPaused(120'000); }
};

TEST_F(CameraCalibrationTest, TwoMarksInViewEndTheRunAtOnce) {
    movePlatformTo(150.0, 10.0);
    sim::BoardLayout layout;
    layout.marks = {{150.0, 10.0}, {153.0, 11.0}};
    useBoard(layout);
    const vision::Calibration before = calibration();
    CameraCalibration run(view(), axis(kAxisX), axis(kAxisY));
    ASSERT_TRUE(run.start(matching()));
    EXPECT_FALSE(run.start(matching())) << "a second run while one is in hand";
    ASSERT_TRUE(waitForRun(run));
    EXPECT_TRUE(run.finished());
    EXPECT_EQ(run.outcome(), CalibrationOutcome::SeveralTargets);
    EXPECT_EQ(messages(), std::vector<std::string>{"Find more one matching targets"});
    // Ended at the first search: nothing moved, nothing stored.
    EXPECT_NEAR(platform().x, 150.0, 1e-3);
    EXPECT_NEAR(platform().y, 10.0, 1e-3);
    EXPECT_EQ(calibration().xRatio, before.xRatio);
    EXPECT_EQ(calibration().yRatio, before.yRatio);
}

TEST_F(CameraCalibrationTest, AMarkThatNeverMovesEndsAtTheStepBoundOrWhenStopped) {
    // X stands on its negative limit switch: every step towards low stays put.
    machine().placeAxis(sim::Axis::X, -10.0);
    const double y = platform().y;
    sim::BoardLayout layout;
    layout.marks = {{-10.0, y}};
    useBoard(layout);
    CameraCalibration run(view(), axis(kAxisX), axis(kAxisY));
    run.setStepBound(3);
    ASSERT_TRUE(run.start(matching()));
    ASSERT_TRUE(waitForRun(run));
    EXPECT_EQ(run.outcome(), CalibrationOutcome::NoTarget);
    EXPECT_EQ(messages(), std::vector<std::string>{"Cannot find a matching target"});

    // Without a bound worth the name the operator stops it; the same thread runs again.
    run.setStepBound(CameraCalibration::kDefaultStepBound);
    std::vector<vision::CalibrationOutcome> ended;
    run.setRunEnded([&](CalibrationOutcome o) { ended.push_back(o); });
    ASSERT_TRUE(run.start(matching()));
    EXPECT_FALSE(run.finished());
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_TRUE(run.running());
    run.stop();
    ASSERT_TRUE(run.waitUntilPaused(5'000)) << "the run ends before its next step";
    EXPECT_EQ(run.outcome(), CalibrationOutcome::Stopped);
    EXPECT_EQ(ended, std::vector<CalibrationOutcome>{CalibrationOutcome::Stopped});
    EXPECT_EQ(messages().size(), 1u) << "a stopped run says nothing";
    movePlatformTo(100.0, 0.0);
}

TEST_F(CameraCalibrationTest, ClosingThePageCutsARunShort) {
    movePlatformTo(100.0, 0.0);
    sim::BoardLayout layout;
    layout.marks = {{100.0, 0.0}};
    useBoard(layout);
    const auto start = std::chrono::steady_clock::now();
    {
        CameraCalibration run(view(), axis(kAxisX), axis(kAxisY));
        ASSERT_TRUE(run.start(matching()));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace corvane::testing
