// The camera procedures of the machine: centring the camera on a mark and
// aligning it on the two lead holes of a footprint. The caller (editor,
// production cycle, calibration page) gives its axes, speeds and waits.
#pragma once

#include <functional>
#include <optional>

#include "vision/calibration.h"
#include "vision/circle_detector.h"

namespace corvane {
class MotionAxis;
}

namespace corvane::vision {

class CameraView;

// How a caller moves the platform and waits during a camera procedure.
struct VisionMotion {
    MotionAxis* x = nullptr;
    MotionAxis* y = nullptr;
    // true: each axis by MotionAxis::MoveBy (the editor); false: one relative
    // two-axis line.
    bool eachAxis = false;
    double startSpeed = 20;
    double maxSpeed = 50;
    double waitSeconds = 10;  // MotionAxis::WaitDone on each axis
    double settleMs = 500;    // before each search, with window messages running
    double afterMoveMs = 50;  // after each correction move
    // Lets the calling thread's pending window messages run during waits.
    std::function<void()> pumpMessages;
    // Rounds of search and correction before the procedure gives up.
    int maxRounds = 20;
    // Shown when the target is not found (none: the caller reports).
    const char* failureEnglish = nullptr;
    const char* failureChinese = nullptr;
};

// The program editor: MoveBy at 10..30 mm/s, 30 s waits, 200 ms settle, 100 ms
// after each move, "Cannot find matching target".
VisionMotion editorMotion(MotionAxis& x, MotionAxis& y, std::function<void()> pumpMessages = {});
// The production cycle's mark: one line at 20..50 mm/s, 10 s waits, 500 ms
// settle, 50 ms after each move; the cycle raises its alarm.
VisionMotion productionMarkMotion(MotionAxis& x, MotionAxis& y);
// The production cycle's re-feed: as for a mark, 100 ms after each move.
VisionMotion productionHoleMotion(MotionAxis& x, MotionAxis& y);
// "Test" on "Camera And Plug-shaft": one line at 30..50 mm/s, 30 s waits,
// 300 ms settle, 100 ms after each move, "Cannot find a matching target".
VisionMotion shaftPageMotion(MotionAxis& x, MotionAxis& y, std::function<void()> pumpMessages = {});

// Within this (mm, on each axis) a correction counts as centred.
inline constexpr double kCentredWithin = 0.05;

// Moves the platform until the one mark in region C lies at the picture
// centre (exactly one mark found at the end). On failure the motion's message.
bool centreOnMark(CameraView& view, const MatchingParameters& matching,
                  const Calibration& calibration, const VisionMotion& motion);

// Moves the platform until the insertion point of the footprint whose holes
// lie in regions A and B (placed for the angle and pitch) stands at the
// picture centre; answers the holes' angle, snapped. On failure the motion's
// message and nothing.
std::optional<int> alignOnTwoHoles(CameraView& view, double pitch,
                                   const MatchingParameters& matching,
                                   const Calibration& calibration, const VisionMotion& motion);

// Waits `ms` of clock time while `pumpMessages` runs the window messages.
void waitWithMessages(double ms, const std::function<void()>& pumpMessages);

}  // namespace corvane::vision
