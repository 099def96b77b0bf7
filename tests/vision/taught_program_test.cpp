// A program taught with the camera and then produced: every component goes
// onto its own holes.
#include <array>
#include <string>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "production/production_fixture.h"
#include "sim/machine/board_camera.h"
#include "vision/camera_view.h"
#include "vision/search_regions.h"
#include "vision/shaft_distance.h"
#include "vision/vision_steps.h"

namespace corvane::testing {
namespace {

std::string fixed(double v, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

class TaughtProgramTest : public ProductionTest {
  protected:
    void TearDown() override {
        sim::unmountBoardCamera();
        ProductionTest::TearDown();
    }
};

TEST_F(TaughtProgramTest, ComponentsOfAProgramTaughtWithTheCameraGoOntoTheirHoles) {
    sim::BoardSceneConfig scene = machine().config().scene;
    scene.layout.components = {{40.0, 10.0, 2.5, 0},
                               {55.0, 12.0, 3.5, 90},
                               {70.0, 8.0, 5.0, 45},
                               {85.0, 14.0, 7.5, -45},
                               {100.0, 10.0, 10.0, 30}};
    machine().setBoardScene(scene);
    sim::mountBoardCamera(machine());
    // The program's records, taught below; a new program needs a reset first.
    const int count = static_cast<int>(scene.layout.components.size());
    for (int n = 1; n <= count; ++n) {
        programList().append(
            InsertionRecord({std::to_string(n), "0.000", "0.000", "0.000", std::to_string(n), "F",
                             "C", "N", "2.5", "3.000", "check", ""}));
    }
    programList().append(InsertionRecord({std::to_string(count + 1), "0.000", "0.000", "0", "1", "",
                                          "", "", "2.5", "0", "stop", ""}));
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    MachineParameters& parameters = machineParameters();
    const vision::MatchingParameters matching{parameters.markMinRadius, parameters.markMaxRadius,
                                              parameters.binarisationThreshold};

    // The operator teaches on a board laid on the workdesk by hand.
    ASSERT_TRUE(machine().placeBoardOnWorkdesk().has_value());
    EnsureOutput(output(kOutCameraLight), true);
    {
        vision::CameraView::Hooks hooks;
        hooks.acceptAdapter = sim::isBoardCameraAdapter;
        vision::CameraView view(hooks);
        ASSERT_TRUE(view.openCamera());

        // "Camera And Plug-shaft": the camera over a point, then the shaft over it.
        vision::ShaftDistancePage page;
        page.locateCamera(axis(kAxisX).Position(), axis(kAxisY).Position());
        page.locateShaft(axis(kAxisX).Position() + scene.cameraToShaft[0],
                         axis(kAxisY).Position() + scene.cameraToShaft[1]);
        ASSERT_TRUE(page.calibrate(parameters));

        // Add: align on the component's holes, take the platform and the angle.
        const auto motion = vision::editorMotion(axis(kAxisX), axis(kAxisY));
        for (int i = 0; i < count; ++i) {
            const sim::BoardComponent& c = scene.layout.components[static_cast<size_t>(i)];
            const double pitch = vision::pitchClass(c.width);
            view.placeSearchRegions(static_cast<int>(c.angle),
                                    vision::regionSpacing(pitch, vision::calibrationOf(parameters)),
                                    parameters.matchArea, vision::layoutOfPitch(pitch));
            MoveLine(axis(kAxisX), c.x, axis(kAxisY), c.y, true, 50, 200);
            axis(kAxisX).WaitDone(30);
            axis(kAxisY).WaitDone(30);
            const auto angle = vision::alignOnTwoHoles(view, pitch, matching,
                                                       vision::calibrationOf(parameters), motion);
            ASSERT_TRUE(angle.has_value()) << "component " << i + 1;
            InsertionRecord* record = programList().at(i);
            record->setField(1, fixed(axis(kAxisX).Position(), 3));
            record->setField(2, fixed(axis(kAxisY).Position(), 3));
            record->setField(3, fixed(*angle, 3));
            record->setField(8, fixed(c.width, 1));
        }
    }
    // Production takes its boards from the line.
    machine().removeBoardsFromWorkdesk();
    machine().clearRecords();

    ASSERT_TRUE(runToCompletion(900));
    const auto placements = machine().placements();
    ASSERT_EQ(placements.size(), scene.layout.components.size());
    for (size_t i = 0; i < placements.size(); ++i) {
        const auto nearest = sim::nearestComponent(scene.layout, placements[i].onBoard);
        ASSERT_TRUE(nearest.has_value());
        EXPECT_EQ(nearest->index, static_cast<int>(i));
        EXPECT_LT(nearest->distance, 0.06) << "component " << i + 1;
    }
    EXPECT_TRUE(messages_.empty()) << messages_.front();
    (void)console;
}

}  // namespace
}  // namespace corvane::testing
