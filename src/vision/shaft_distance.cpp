// Camera to insertion shaft distance.
#include "vision/shaft_distance.h"

#include <cstdio>
#include <cstdlib>

#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "vision/vision_steps.h"

namespace corvane::vision {

bool ShaftDistancePage::calibrate(MachineParameters& parameters) const {
    if (!camera_ || !shaft_) {
        return false;
    }
    parameters.cameraToShaft = {(*shaft_)[0] - (*camera_)[0], (*shaft_)[1] - (*camera_)[1]};
    return true;
}

double ShaftDistancePage::typedValue(const std::string& text) {
    return std::atof(text.c_str());
}

std::string ShaftDistancePage::fieldText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::optional<int> testShaftDistance(CameraView& view, MotionAxis& x, MotionAxis& y, MotionAxis& d1,
                                     MotionAxis& d2, double pitch,
                                     const MatchingParameters& matching,
                                     const MachineParameters& parameters) {
    const auto angle =
        alignOnTwoHoles(view, pitch, matching, calibrationOf(parameters), shaftPageMotion(x, y));
    if (!angle) {
        return std::nullopt;
    }
    const auto& compensation = parameters.compensation(*angle);
    MoveLine(x, compensation[0] + parameters.cameraToShaft[0], y,
             compensation[1] + parameters.cameraToShaft[1], false, 30, 50);
    x.WaitDone(10);
    y.WaitDone(10);
    MoveLine(d1, parameters.offsetD1D2P[0] + *angle / 18.0, d2,
             parameters.offsetD1D2P[1] + *angle / 18.0, true, 30, 50);
    d1.WaitDone(10);
    d2.WaitDone(10);
    return angle;
}

}  // namespace corvane::vision
