// The calibration thread and the calibration test.
#include "vision/camera_calibration.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/message_box.h"
#include "platform/worker.h"
#include "vision/camera_view.h"

namespace corvane::vision {

namespace {

// Steps stop this close (pixels) to the picture's edges.
constexpr double kEdgeMargin = 60;
constexpr double kStepMm = 1.0;
constexpr double kStepSpeed = 20;
constexpr double kStepWaitSeconds = 400;
constexpr double kSettleMs = 400;

struct Search {
    std::optional<cv::Point2d> mark;
    CalibrationOutcome failure = CalibrationOutcome::NoTarget;
};

Search searchWhole(CameraView& view, const MatchingParameters& matching) {
    std::vector<CircleCandidate> found;
    view.detectCircles(kDetectWhole, matching, found);
    if (found.size() == 1) {
        return {cv::Point2d(found.front().x, found.front().y)};
    }
    return {std::nullopt,
            found.empty() ? CalibrationOutcome::NoTarget : CalibrationOutcome::SeveralTargets};
}

// One axis's calibration: the mark's picture movement for a 1 mm step of the
// axis, along the picture's columns (du) and rows (dv).
struct AxisEstimate {
    double du = 0;
    double dv = 0;
};

}  // namespace

CameraCalibration::CameraCalibration(CameraView& view, MotionAxis& x, MotionAxis& y)
    : view_(view), x_(x), y_(y) {}

CameraCalibration::~CameraCalibration() {
    quit_ = true;
    stop_ = true;
    if (!worker_) {
        return;
    }
    if (running()) {
        // Cut the step in hand short rather than wait out its move.
        x_.StopNow();
        y_.StopNow();
    }
    worker_->release();
    worker_.reset();
}

void CameraCalibration::setRunEnded(std::function<void(CalibrationOutcome)> hook) {
    runEnded_ = std::move(hook);
}

bool CameraCalibration::running() const {
    return worker_ && worker_->suspendedFlag().load() == 0 && !worker_->finished();
}

bool CameraCalibration::waitUntilPaused(double ms) const {
    const int64_t start = platform::Clock::performanceCounter();
    while (running()) {
        if (platform::secondsSince(start) * 1000.0 >= ms) {
            return false;
        }
        platform::Clock::sleepMs(1);
    }
    return true;
}

bool CameraCalibration::start(const MatchingParameters& matching) {
    if (running() || quit_.load()) {
        return false;
    }
    matching_ = matching;
    stop_ = false;
    finished_ = false;
    if (!worker_) {
        worker_ = std::make_unique<platform::Worker>("camera calibration", [this] {
            for (;;) {
                if (quit_.load()) {
                    return 0;
                }
                const CalibrationOutcome outcome = run();
                if (outcome == CalibrationOutcome::NoTarget) {
                    platform::messageBox(tr("Cannot find a matching target", "不能找到匹配目标"));
                } else if (outcome == CalibrationOutcome::SeveralTargets) {
                    platform::messageBox(tr("Find more one matching targets", "找到多个匹配目标"));
                }
                outcome_ = outcome;
                finished_ = true;
                x_.StopNow();
                y_.StopNow();
                if (runEnded_) {
                    runEnded_(outcome);
                }
                if (quit_.load()) {
                    return 0;
                }
                // The thread's own handle: the owner's pointer may already be
                // gone while the page closes.
                self_->suspendSelf();
            }
        });
        self_ = worker_.get();
    }
    return worker_->clearFlagAndResume();
}

Calibration CameraCalibration::values() const {
    std::lock_guard lock(valuesMutex_);
    return values_;
}

CalibrationOutcome CameraCalibration::run() {
    view_.setDisplayMode(kShowWhole);
    const cv::Size size = view_.imageSize();

    // One axis: towards its low end until the mark lies within the margin of
    // the picture's low edge, then towards its high end, then back to the
    // middle. `along` picks the picture coordinate that the axis moves.
    auto calibrateAxis = [&](MotionAxis& axis, bool alongRows,
                             AxisEstimate& estimate) -> std::optional<CalibrationOutcome> {
        Search first = searchWhole(view_, matching_);
        if (!first.mark) {
            return first.failure;
        }
        cv::Point2d previous = *first.mark;
        bool firstEstimate = true;
        double low = axis.Position();
        double high = low;
        const double lowEdge = kEdgeMargin;
        const double highEdge = (alongRows ? size.height : size.width) - kEdgeMargin;
        for (int direction : {-1, +1}) {
            for (int step = 0;; ++step) {
                if (stop_.load()) {
                    return CalibrationOutcome::Stopped;
                }
                if (step >= stepBound_) {
                    return CalibrationOutcome::NoTarget;
                }
                view_.requestOverlayReset();
                axis.MoveBy(direction * kStepMm, kStepSpeed, kStepSpeed);
                axis.WaitDone(kStepWaitSeconds);
                platform::Clock::sleepMs(kSettleMs);
                Search next = searchWhole(view_, matching_);
                if (!next.mark) {
                    return next.failure;
                }
                const double now = alongRows ? next.mark->y : next.mark->x;
                const double before = alongRows ? previous.y : previous.x;
                if (direction < 0 ? now < before : now > before) {
                    (direction < 0 ? low : high) = axis.Position();
                    // The movement of a +1 mm step, averaged with the estimate so far.
                    const double du = direction * (next.mark->x - previous.x);
                    const double dv = direction * (next.mark->y - previous.y);
                    if (firstEstimate) {
                        estimate = {du, dv};
                        firstEstimate = false;
                    } else {
                        estimate = {(estimate.du + du) * 0.5, (estimate.dv + dv) * 0.5};
                    }
                    previous = *next.mark;
                }
                if (direction < 0 ? now < lowEdge : now > highEdge) {
                    break;
                }
            }
        }
        axis.MoveBy((low - high) * 0.5, 0, kStepSpeed);
        axis.WaitDone(kStepWaitSeconds);
        platform::Clock::sleepMs(kSettleMs);
        return std::nullopt;
    };

    AxisEstimate alongX;
    AxisEstimate alongY;
    if (auto failure = calibrateAxis(x_, false, alongX)) {
        return *failure;
    }
    if (auto failure = calibrateAxis(y_, true, alongY)) {
        return *failure;
    }
    const Calibration values{alongX.du, alongX.dv, alongY.du, alongY.dv};
    {
        std::lock_guard lock(valuesMutex_);
        values_ = values;
    }
    storeCalibration(values, machineParameters());
    return CalibrationOutcome::Calibrated;
}

bool testCalibration(CameraView& view, MotionAxis& x, MotionAxis& y, const Calibration& values,
                     const MatchingParameters& matching) {
    std::vector<CircleCandidate> found;
    view.detectCircles(kDetectWhole, matching, found);
    if (found.size() != 1) {
        platform::messageBox(tr("Cannot find matching target", "不能找到匹配目标"));
        return false;
    }
    const cv::Size size = view.imageSize();
    const auto move = pixelOffsetToMillimetres({found.front().x, found.front().y},
                                               {size.width / 2.0, size.height / 2.0}, values);
    if (!move) {
        platform::messageBox(tr("Cannot find matching target", "不能找到匹配目标"));
        return false;
    }
    MoveLine(x, move->x, y, move->y, false, 30, 50);
    x.WaitDone(10);
    y.WaitDone(10);
    platform::Clock::sleepMs(100);
    view.detectCircles(kDetectWhole, matching, found);
    return true;
}

std::string calibrationText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

}  // namespace corvane::vision
