// corvane-cli calibrate: the automatic camera calibration on the simulated
// machine, with one mark under the camera, beside the simulator's true values.
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "app/console.h"
#include "cli/cli_support.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "production/program_source.h"
#include "sim/machine/board_camera.h"
#include "sim/machine/simulated_machine.h"
#include "vision/camera_calibration.h"
#include "vision/camera_view.h"

namespace corvane::cli {

namespace {

int runCalibrate(Arguments& args);

const Command kCalibrate{
    "calibrate", "calibrate [--camera-scale PX_PER_MM] [--time-scale X] [--json]", runCalibrate};

// The platform stands here (mm) with the mark under the camera; the steps
// of the calibration stay well inside the travel.
constexpr double kTargetX = 100.0;
constexpr double kTargetY = 0.0;
// The target mark is drawn this big (pixels) at the true scale, and searched
// with radii that fit it: small enough that it never touches the picture's
// edge where the steps stop, at any scale the command accepts.
constexpr double kTargetRadiusPixels = 12.0;
constexpr int kTargetMinRadius = 8;
constexpr int kTargetMaxRadius = 16;
// Clock seconds a run may take.
constexpr double kRunLimitMs = 1'800'000;
constexpr double kDefaultTimeScale = 3.0;

class NoProgram : public ProgramSource {
  public:
    int count() const override { return 0; }
    ProductionRecord record(int) const override { return {}; }
};

bool parseNumber(const std::string& text, double low, double high, double& value) {
    size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && std::isfinite(value) && value >= low && value <= high;
}

Json valuesJson(double xRatio, double xOffset, double yOffset, double yRatio) {
    Json j;
    j["x_ratio"] = xRatio;
    j["x_offset"] = xOffset;
    j["y_offset"] = yOffset;
    j["y_ratio"] = yRatio;
    return j;
}

int runCalibrate(Arguments& args) {
    bool missing = false;
    const auto scaleText = args.takeOption("camera-scale", &missing);
    const auto timeScaleText = args.takeOption("time-scale", &missing);
    if (missing)
        return usageError(kCalibrate, "an option needs a value");
    if (auto unknown = args.unknownOption())
        return usageError(kCalibrate, "unknown option " + *unknown);
    if (!args.words.empty())
        return usageError(kCalibrate, "no arguments expected");
    sim::MachineConfig config;
    if (scaleText && !parseNumber(*scaleText, 10, 100, config.scene.camera.pixelsPerMm)) {
        return usageError(kCalibrate, "--camera-scale takes pixels per mm from 10 to 100");
    }
    double timeScale = kDefaultTimeScale;
    if (timeScaleText && !parseNumber(*timeScaleText, 0.1, 10, timeScale)) {
        return usageError(kCalibrate, "--time-scale takes 0.1 to 10");
    }

    sim::SimulatedMachine& machine = sim::SimulatedMachine::instance();
    machine.reset(config);
    sim::mountBoardCamera(machine);
    // Messages are kept; a failed run reports its last one.
    std::mutex messagesMutex;
    std::vector<std::string> messages;
    platform::setMessageBoxSink([&](const platform::MessageBoxRequest& r) {
        std::lock_guard lock(messagesMutex);
        messages.push_back(r.text);
        return true;
    });
    NoProgram program;
    Console console(program, Console::Options{false});
    console.initialise();
    platform::Clock::setTimeScale(timeScale);

    EnsureOutput(output(kOutCameraLight), true);
    machine.placeBoardOnWorkdesk();
    MoveLine(axis(kAxisX), kTargetX, axis(kAxisY), kTargetY, true, 50, 200);
    axis(kAxisX).WaitDone(30);
    axis(kAxisY).WaitDone(30);
    sim::BoardSceneConfig scene = config.scene;
    scene.layout.marks = {{machine.axisPosition(sim::Axis::X), machine.axisPosition(sim::Axis::Y)}};
    scene.layout.markDiameter = 2 * kTargetRadiusPixels / scene.camera.pixelsPerMm;
    machine.setBoardScene(scene);

    vision::CalibrationOutcome outcome = vision::CalibrationOutcome::None;
    vision::Calibration measured;
    {
        vision::CameraView::Hooks hooks;
        hooks.acceptAdapter = sim::isBoardCameraAdapter;
        vision::CameraView view(hooks);
        if (view.openCamera()) {
            vision::CameraCalibration run(view, axis(kAxisX), axis(kAxisY));
            const vision::MatchingParameters matching{kTargetMinRadius, kTargetMaxRadius,
                                                      machineParameters().binarisationThreshold};
            if (run.start(matching) && run.waitUntilPaused(kRunLimitMs)) {
                outcome = run.outcome();
                measured = run.values();
            }
        }
    }
    platform::Clock::setTimeScale(1.0);
    platform::setMessageBoxSink(nullptr);
    sim::unmountBoardCamera();

    if (outcome != vision::CalibrationOutcome::Calibrated) {
        std::string why = messages.empty() ? "the calibration did not finish" : messages.back();
        return refuse("calibration failed: " + why);
    }
    const sim::TrueCalibration truth = sim::trueCalibration(scene.camera);
    const double scaleError = std::max(std::fabs(measured.xRatio - truth.xRatio) / truth.xRatio,
                                       std::fabs(measured.yRatio - truth.yRatio) / truth.yRatio) *
                              100.0;
    if (args.json) {
        Json j = valuesJson(measured.xRatio, measured.xOffset, measured.yOffset, measured.yRatio);
        j["true"] = valuesJson(truth.xRatio, truth.xOffset, truth.yOffset, truth.yRatio);
        j["camera_scale"] = scene.camera.pixelsPerMm;
        j["scale_error_percent"] = scaleError;
        printJson(j);
        return kExitOk;
    }
    std::printf("camera calibration on the simulated machine (%.3f px/mm)\n",
                scene.camera.pixelsPerMm);
    std::printf("%-10s %10s %10s\n", "", "measured", "true");
    std::printf("%-10s %10.3f %10.3f\n", "x_ratio", measured.xRatio, truth.xRatio);
    std::printf("%-10s %10.3f %10.3f\n", "x_offset", measured.xOffset, truth.xOffset);
    std::printf("%-10s %10.3f %10.3f\n", "y_offset", measured.yOffset, truth.yOffset);
    std::printf("%-10s %10.3f %10.3f\n", "y_ratio", measured.yRatio, truth.yRatio);
    std::printf("scale error: %.2f %%\n", scaleError);
    return kExitOk;
}

const CommandRegistration registration{kCalibrate};

}  // namespace

}  // namespace corvane::cli
