// The machine core's axes and outputs on the simulated machine, with its
// camera open over the board scene. One camera view serves a test suite:
// opening the camera walks every adapter of the host first.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/message_target.h"
#include "sim/machine/board_camera.h"
#include "sim/machine/simulated_machine.h"
#include "vision/calibration.h"
#include "vision/camera_view.h"
#include "vision/search_regions.h"

namespace corvane::testing {

class BoardCameraTest : public ::testing::Test {
  protected:
    // Clock seconds per real second. The snap waits 0.4 clock seconds for a
    // frame that comes in real time, so the clock may not run much faster;
    // under ThreadSanitizer a frame takes several times as long.
#if defined(__SANITIZE_THREAD__)
    static constexpr double kTimeScale = 1.0;
#else
    static constexpr double kTimeScale = 3.0;
#endif

    static sim::SimulatedMachine& machine() {
        return sim::SimulatedMachine::instance();
    }
    static vision::CameraView& view() {
        return *view_;
    }

    static void SetUpTestSuite() {
        platform::setMessageBoxSink([](const platform::MessageBoxRequest& r) {
            std::lock_guard lock(messagesMutex());
            messageLog().push_back(r.text);
            return true;
        });
        sim::mountBoardCamera(machine());
        sim::MachineConfig config;
        machine().reset(config);
        InitMotionCards();
        BuildAxes();
        BuildIoTables();
        // Command positions as after an exact homing: the platform's
        // positions are the physical ones the board scene is laid out in.
        axis(kAxisX).SetPosition(machine().axisPosition(sim::Axis::X));
        axis(kAxisY).SetPosition(machine().axisPosition(sim::Axis::Y));
        machineParameters() = MachineParameters{};
        EnsureOutput(output(kOutCameraLight), true);
        machine().placeBoardOnWorkdesk();
        platform::Clock::setTimeScale(kTimeScale);
        parentWindow().bindToCurrentThread();
        parentWindow().setHandler([](uint32_t message, uintptr_t, intptr_t) {
            parentMessages().push_back(message);
            return intptr_t{0};
        });
        vision::CameraView::Hooks hooks;
        hooks.parent = &parentWindow();
        hooks.acceptAdapter = sim::isBoardCameraAdapter;
        view_ = new vision::CameraView(hooks);
        opened_ = view_->openCamera();
    }

    static void TearDownTestSuite() {
        delete view_;
        view_ = nullptr;
        platform::Clock::setTimeScale(1.0);
        sim::unmountBoardCamera();
        platform::setMessageBoxSink(nullptr);
    }

    void SetUp() override {
        ASSERT_TRUE(opened_) << "the simulated camera did not open";
        std::lock_guard lock(messagesMutex());
        messageLog().clear();
        parentWindow().processPending();
        parentMessages().clear();
    }

    // The window the view tells of snap time-outs, and what it was told.
    static platform::MessageTarget& parentWindow() {
        static platform::MessageTarget window;
        return window;
    }
    static std::vector<uint32_t>& parentMessages() {
        static std::vector<uint32_t> received;
        return received;
    }

    static std::vector<std::string> messages() {
        std::lock_guard lock(messagesMutex());
        return messageLog();
    }

    // The board scene with this layout and offset, the rest as configured.
    static sim::BoardSceneConfig useBoard(const sim::BoardLayout& layout,
                                          sim::BoardOffset offset = {}) {
        sim::BoardSceneConfig scene = machine().config().scene;
        scene.layout = layout;
        scene.offset = offset;
        machine().setBoardScene(scene);
        return scene;
    }

    static void movePlatformTo(double x, double y) {
        MoveLine(axis(kAxisX), x, axis(kAxisY), y, true, 50, 200);
        axis(kAxisX).WaitDone(30);
        axis(kAxisY).WaitDone(30);
    }

    static sim::PlanePoint platform() {
        return {machine().axisPosition(sim::Axis::X), machine().axisPosition(sim::Axis::Y)};
    }

    static vision::Calibration calibration() {
        return vision::calibrationOf(machineParameters());
    }

    static vision::MatchingParameters matching() {
        const MachineParameters& p = machineParameters();
        return {p.markMinRadius, p.markMaxRadius, p.binarisationThreshold};
    }

    static void placeRegionsFor(int angle, double width) {
        const double pitch = vision::pitchClass(width);
        view().placeSearchRegions(angle, vision::regionSpacing(pitch, calibration()),
                                  machineParameters().matchArea, vision::layoutOfPitch(pitch));
    }

  private:
    static std::mutex& messagesMutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<std::string>& messageLog() {
        static std::vector<std::string> log;
        return log;
    }
    static inline vision::CameraView* view_ = nullptr;
    static inline bool opened_ = false;
};

}  // namespace corvane::testing
