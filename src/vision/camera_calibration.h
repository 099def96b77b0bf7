// Automatic camera calibration ("Calibration" on the "Camera And Table"
// page) and its test: the calibration thread steps the platform by 1 mm along
// X and then Y while it follows one mark across the whole picture, and turns
// the mark's movements into the four calibration values.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "vision/calibration.h"
#include "vision/circle_detector.h"

namespace corvane {
class MotionAxis;
}
namespace corvane::platform {
class Worker;
}

namespace corvane::vision {

class CameraView;

enum class CalibrationOutcome {
    None,            // no run ended yet
    Calibrated,      // the values are stored
    NoTarget,        // a search found no mark, or a pass ran out of steps
    SeveralTargets,  // a search found more than one mark
    Stopped,         // cut short by stop() or the page closing
};

class CameraCalibration {
  public:
    // Steps one pass may take before the run gives up ("no target").
    static constexpr int kDefaultStepBound = 200;

    CameraCalibration(CameraView& view, MotionAxis& x, MotionAxis& y);
    CameraCalibration(const CameraCalibration&) = delete;
    CameraCalibration& operator=(const CameraCalibration&) = delete;
    // The page closing: a run in hand ends before its next step (its move
    // is stopped), then the thread ends.
    ~CameraCalibration();

    void setStepBound(int steps) { stepBound_ = steps; }
    // Called on the calibration thread when a run ends.
    void setRunEnded(std::function<void(CalibrationOutcome)> hook);

    // Starts a run on the calibration thread (made on first use, resumed for
    // each later run). False while a run is in hand.
    bool start(const MatchingParameters& matching);
    // Asks the run in hand to end before its next step.
    void stop() { stop_ = true; }
    // A run is in hand (the thread has not paused yet).
    bool running() const;
    // Waits up to `ms` clock milliseconds for the thread to pause.
    bool waitUntilPaused(double ms) const;

    // The calibration-finished flag: set when a run ends, cleared by start().
    bool finished() const { return finished_.load(); }
    CalibrationOutcome outcome() const { return outcome_.load(); }
    // The values of the last run that calibrated.
    Calibration values() const;

  private:
    CalibrationOutcome run();

    CameraView& view_;
    MotionAxis& x_;
    MotionAxis& y_;
    int stepBound_ = kDefaultStepBound;
    MatchingParameters matching_;
    std::function<void(CalibrationOutcome)> runEnded_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> quit_{false};
    std::atomic<bool> finished_{false};
    std::atomic<CalibrationOutcome> outcome_{CalibrationOutcome::None};
    mutable std::mutex valuesMutex_;
    Calibration values_;
    std::unique_ptr<platform::Worker> worker_;
    platform::Worker* self_ = nullptr;
};

// "Test" on "Camera And Table": the mark found in the whole picture is
// brought to the centre with the page's values, then searched once more so
// that the picture shows the result. "Cannot find matching target" and false
// unless exactly one mark is found.
bool testCalibration(CameraView& view, MotionAxis& x, MotionAxis& y, const Calibration& values,
                     const MatchingParameters& matching);

// A calibration value as the page shows it (3 decimals).
std::string calibrationText(double value);

}  // namespace corvane::vision
