// Centring on a mark and aligning on two lead holes, on the simulated
// machine's board under its camera.
#include <cmath>

#include "board_camera_fixture.h"
#include "vision/vision_steps.h"

namespace corvane::testing {
namespace {

using vision::alignOnTwoHoles;
using vision::centreOnMark;

class VisionStepsTest : public BoardCameraTest {};

TEST_F(VisionStepsTest, CentringOnTheMarkOfAnOffBoardFindsTheBoardsOffset) {
    sim::BoardLayout layout;
    layout.marks = {{120.0, 30.0}};
    useBoard(layout, {0.8, -0.5, 0.0});
    movePlatformTo(120.0, 30.0);
    ASSERT_TRUE(centreOnMark(view(), matching(), calibration(),
                             vision::productionMarkMotion(axis(kAxisX), axis(kAxisY))));
    // The production cycle's board offset: where the platform stands minus the record.
    EXPECT_NEAR(axis(kAxisX).Position() - 120.0, 0.8, 0.05);
    EXPECT_NEAR(axis(kAxisY).Position() - 30.0, -0.5, 0.05);
    EXPECT_EQ(view().displayMode(), vision::kShowCentre);
    EXPECT_TRUE(messages().empty());
}

}  // namespace
}  // namespace corvane::testing
