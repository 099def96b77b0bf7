// The camera view on the simulated machine's camera: snapshots, time-outs,
// the light, and searches that must fail.
#include <thread>

#include "board_camera_fixture.h"
#include "platform/window_messages.h"
#include "sim/camera/ostrel_sim.h"
#include "vision/vision_steps.h"

namespace corvane::testing {
namespace {

using vision::CircleCandidate;

class CameraViewSimTest : public BoardCameraTest {
  protected:
    static std::vector<CircleCandidate> searchWhole() {
        std::vector<CircleCandidate> found;
        EXPECT_TRUE(view().detectCircles(vision::kDetectWhole, matching(), found));
        return found;
    }
};

TEST_F(CameraViewSimTest, EachSnapTakesOneFreshPictureOfWhereThePlatformStands) {
    sim::BoardLayout layout;
    layout.marks = {{200.0, 50.0}};
    useBoard(layout);
    movePlatformTo(200.0, 50.0);
    const sim::CameraTruth truth = machine().config().scene.camera;
    for (double step : {0.0, 1.5, -2.0}) {
        movePlatformTo(200.0 + step, 50.0);
        // The first search after the move sees the mark where it now shows.
        const auto found = searchWhole();
        ASSERT_EQ(found.size(), 1u);
        const sim::PlanePoint expected =
            sim::picturePoint(truth, {200.0, 50.0}, platform(), 752, 480);
        EXPECT_NEAR(found[0].x, expected.x, 0.3);
        EXPECT_NEAR(found[0].y, expected.y, 0.3);
    }
    // In snapshot mode a trigger brings exactly one picture, and nothing comes unasked.
    const uint64_t before = view().framesDelivered();
    ASSERT_TRUE(view().snapAndWait());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(view().framesDelivered(), before + 1);
}

TEST_F(CameraViewSimTest, ThePictureIsDarkWhileTheCameraLightIsOff) {
    sim::BoardLayout layout;
    layout.marks = {{200.0, 50.0}};
    useBoard(layout);
    movePlatformTo(200.0, 50.0);
    EXPECT_EQ(searchWhole().size(), 1u);
    EnsureOutput(output(kOutCameraLight), false);
    EXPECT_TRUE(searchWhole().empty());
    EnsureOutput(output(kOutCameraLight), true);
    EXPECT_EQ(searchWhole().size(), 1u);
}

TEST_F(CameraViewSimTest, TwoMarksInRegionCFailTheCentring) {
    sim::BoardLayout layout;
    layout.marks = {{210.0, 40.0}, {211.1, 41.0}};
    useBoard(layout);
    movePlatformTo(210.55, 40.5);
    EXPECT_FALSE(vision::centreOnMark(view(), matching(), calibration(),
                                      vision::editorMotion(axis(kAxisX), axis(kAxisY))));
    EXPECT_EQ(messages(), std::vector<std::string>{"Cannot find matching target"});
    EXPECT_EQ(view().lastFound(vision::kFoundCentre).size(), 2u) << "both were seen";
    EXPECT_NEAR(platform().x, 210.55, 1e-3) << "and the platform did not move";
}

TEST_F(CameraViewSimTest, SnapsFailAtOnceWhenStoppedAndTellTheParentWhenNoPictureComes) {
    ASSERT_TRUE(view().snapAndWait());
    view().stopCamera();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(view().snapAndWait());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    parentWindow().processPending();
    EXPECT_TRUE(parentMessages().empty()) << "a stopped camera is no time-out";
    ASSERT_TRUE(view().openCamera());
    ASSERT_TRUE(view().snapAndWait());

    // Unplugged: the wait runs its full 0.4 s and the parent hears of it.
    OstrelSim_SetPowered(sim::kMachineCameraModel, 0);
    const double waitStart = platform::Clock::seconds();
    EXPECT_FALSE(view().snapAndWait());
    EXPECT_GE(platform::Clock::seconds() - waitStart, vision::kSnapWaitSeconds);
    parentWindow().processPending();
    EXPECT_EQ(parentMessages(), std::vector<uint32_t>{MSG_CAMERA_SNAP_TIMEOUT});
    OstrelSim_SetPowered(sim::kMachineCameraModel, 1);
    EXPECT_TRUE(view().snapAndWait()) << "plugged in again";
}

}  // namespace
}  // namespace corvane::testing
