// The camera calibration (how platform millimetres show in the picture) and
// the conversions between picture offsets and platform moves.
#pragma once

#include <optional>

#include <opencv2/core.hpp>

namespace corvane {
struct MachineParameters;
}

namespace corvane::vision {

// Pixels per millimetre: a platform move of X mm along X and Y mm along Y
// moves a feature by xRatio X + yOffset Y columns and xOffset X + yRatio Y
// rows.
struct Calibration {
    double xRatio = 33.698;
    double xOffset = 0.54;
    double yOffset = 0.499;
    double yRatio = 33.631;
};

// The process-wide calibration kept in the machine parameters.
Calibration calibrationOf(const MachineParameters& parameters);
void storeCalibration(const Calibration& calibration, MachineParameters& parameters);

struct PlatformMove {
    double x = 0;
    double y = 0;
};

// The relative platform move that brings the feature seen at `found` under
// the reference point (the picture centre). Nothing when the calibration
// cannot be inverted.
std::optional<PlatformMove> pixelOffsetToMillimetres(cv::Point2d found, cv::Point2d reference,
                                                     const Calibration& calibration);

// The pixel lengths (columns, rows) of a platform move, as magnitudes.
cv::Point2d millimetresToPixelLengths(double x, double y, const Calibration& calibration);

}  // namespace corvane::vision
