// Calibration values and the conversions between pixels and millimetres.
#include "vision/calibration.h"

#include <cmath>

#include "machine/machine_parameters.h"

namespace corvane::vision {

Calibration calibrationOf(const MachineParameters& p) {
    return {p.xRatio, p.xOffset, p.yOffset, p.yRatio};
}

void storeCalibration(const Calibration& c, MachineParameters& p) {
    p.xRatio = c.xRatio;
    p.xOffset = c.xOffset;
    p.yOffset = c.yOffset;
    p.yRatio = c.yRatio;
}

std::optional<PlatformMove> pixelOffsetToMillimetres(cv::Point2d found, cv::Point2d reference,
                                                     const Calibration& cal) {
    const double du = reference.x - found.x;
    const double dv = reference.y - found.y;
    const double a = cal.xRatio;
    const double b = cal.xOffset;
    const double c = cal.yOffset;
    const double d = cal.yRatio;
    const double det = a * d - b * c;
    // A calibration typed as zeros must not send the platform to infinity.
    if (det == 0 || !std::isfinite(det)) {
        return std::nullopt;
    }
    const PlatformMove move{(du * d - dv * c) / det, (dv * a - du * b) / det};
    if (!std::isfinite(move.x) || !std::isfinite(move.y)) {
        return std::nullopt;
    }
    return move;
}

cv::Point2d millimetresToPixelLengths(double x, double y, const Calibration& cal) {
    return {std::fabs(cal.xRatio * x + cal.yOffset * y),
            std::fabs(cal.xOffset * x + cal.yRatio * y)};
}

}  // namespace corvane::vision
