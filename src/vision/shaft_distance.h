// The distance between the camera and the insertion shaft ("Camera And
// Plug-shaft" page): taught from two platform positions over the same point,
// typed, and tested on a component's holes.
//
// Sign. Production inserts a component taught with the camera at R with the
// platform at R + distance (+ the angle's compensation). The operator puts
// the camera over a point ("Location of CCD", platform C) and then the shaft
// over the same point ("Location of Plug-Shaft", platform S); the shaft
// stands over a point when the platform is the camera's position plus the
// distance, so distance = S - C.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "vision/calibration.h"
#include "vision/circle_detector.h"

namespace corvane {
class MotionAxis;
struct MachineParameters;
}  // namespace corvane

namespace corvane::vision {

class CameraView;

class ShaftDistancePage {
  public:
    // "Location of CCD" and "Location of Plug-Shaft": the platform now.
    void locateCamera(double x, double y) { camera_ = {x, y}; }
    void locateShaft(double x, double y) { shaft_ = {x, y}; }
    // "Calibration": the distance from the two locations, stored in the
    // parameters; nothing (false) until both are located.
    bool calibrate(MachineParameters& parameters) const;
    // A typed field (taken as atof takes it).
    static double typedValue(const std::string& text);
    // A field as the page shows it (3 decimals).
    static std::string fieldText(double value);

  private:
    std::optional<std::array<double, 2>> camera_;
    std::optional<std::array<double, 2>> shaft_;
};

// "Test": aligns on the two holes of a component (page variant), moves the
// platform by the angle's compensation plus the distance and turns D1 and D2
// to their zero position + angle / 18. Answers the angle found, or nothing
// after the alignment's message.
std::optional<int> testShaftDistance(CameraView& view, MotionAxis& x, MotionAxis& y, MotionAxis& d1,
                                     MotionAxis& d2, double pitch,
                                     const MatchingParameters& matching,
                                     const MachineParameters& parameters);

}  // namespace corvane::vision
