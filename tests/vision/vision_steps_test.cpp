// Centring on a mark and aligning on two lead holes, on the simulated
// machine's board under its camera.
#include <cmath>

#include "board_camera_fixture.h"
#include "vision/camera_calibration.h"
#include "vision/shaft_distance.h"
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

TEST_F(VisionStepsTest, AligningOnTwoHolesGivesBackTheAngleAndStandsOnTheInsertionPoint) {
    sim::BoardLayout layout;
    const double widths[] = {2.5, 3.5, 5.0, 7.5, 10.0};
    const int angles[] = {0, 45, -45, 90, 30};
    for (int w = 0; w < 5; ++w) {
        for (int a = 0; a < 5; ++a) {
            layout.components.push_back(
                {60.0 + 25.0 * a, -40.0 + 25.0 * w, widths[w], angles[a] * 1.0});
        }
    }
    // The board lies a little off, so that every alignment has to move.
    const sim::BoardOffset offset{0.4, -0.3, 0.0};
    const sim::BoardSceneConfig scene = useBoard(layout, offset);
    const auto motion = vision::editorMotion(axis(kAxisX), axis(kAxisY));
    for (const sim::BoardComponent& c : layout.components) {
        SCOPED_TRACE(::testing::Message() << "width " << c.width << ", angle " << c.angle);
        placeRegionsFor(static_cast<int>(c.angle), c.width);
        movePlatformTo(c.x, c.y);
        const auto angle =
            alignOnTwoHoles(view(), vision::pitchClass(c.width), matching(), calibration(), motion);
        ASSERT_TRUE(angle.has_value());
        EXPECT_EQ(*angle, static_cast<int>(c.angle));
        const sim::PlanePoint insertion = sim::boardToWorkdesk(scene, {c.x, c.y});
        EXPECT_NEAR(platform().x, insertion.x, 0.05);
        EXPECT_NEAR(platform().y, insertion.y, 0.05);
    }
    EXPECT_EQ(view().displayMode(), vision::kShowHoles);
    EXPECT_TRUE(messages().empty());
}

TEST_F(VisionStepsTest, TheCalibrationTestBringsTheMarkUnderTheCamera) {
    sim::BoardLayout layout;
    layout.marks = {{150.0, -20.0}};
    useBoard(layout);
    movePlatformTo(147.5, -18.6);
    ASSERT_TRUE(
        vision::testCalibration(view(), axis(kAxisX), axis(kAxisY), calibration(), matching()));
    EXPECT_NEAR(platform().x, 150.0, 0.1);
    EXPECT_NEAR(platform().y, -20.0, 0.1);
    EXPECT_EQ(view().displayMode(), vision::kShowWhole);

    movePlatformTo(170.0, -20.0);  // nothing in view
    EXPECT_FALSE(
        vision::testCalibration(view(), axis(kAxisX), axis(kAxisY), calibration(), matching()));
    EXPECT_EQ(messages(), std::vector<std::string>{"Cannot find matching target"});
}

TEST_F(VisionStepsTest, TheShaftTestStandsTheShaftOverTheInsertionPointTurnedToItsAngle) {
    sim::BoardLayout layout;
    layout.components = {{130.0, 15.0, 5.0, 45.0}};
    const sim::BoardSceneConfig scene = useBoard(layout, {0.2, 0.3, 0.0});
    MachineParameters parameters = machineParameters();
    parameters.cameraToShaft = scene.cameraToShaft;
    placeRegionsFor(45, 5.0);
    movePlatformTo(130.0, 15.0);
    const auto angle = vision::testShaftDistance(view(), axis(kAxisX), axis(kAxisY), axis(kAxisD1),
                                                 axis(kAxisD2), 5.0, matching(), parameters);
    ASSERT_TRUE(angle.has_value());
    EXPECT_EQ(*angle, 45);
    const sim::Placement shaft = sim::placementAt(scene, platform());
    EXPECT_NEAR(shaft.onBoard.x, 130.0, 0.05);
    EXPECT_NEAR(shaft.onBoard.y, 15.0, 0.05);
    EXPECT_NEAR(axis(kAxisD1).Position(), 45 / 18.0, 1e-3);
    EXPECT_NEAR(axis(kAxisD2).Position(), 45 / 18.0, 1e-3);
    MoveLine(axis(kAxisD1), 0, axis(kAxisD2), 0, true, 30, 50);
    axis(kAxisD1).WaitDone(10);
    axis(kAxisD2).WaitDone(10);
}

}  // namespace
}  // namespace corvane::testing
