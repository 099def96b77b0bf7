// Region layouts, target point, hole angle and its snapping.
#include "vision/search_regions.h"

#include <cmath>

namespace corvane::vision {

namespace {

// The machine's own degree factors; the angle factor is not 180/pi.
constexpr float kRadiansPerDegree = 0.017453292f;
constexpr double kDegreesPerRadian = 57.29693022366283;

}  // namespace

double pitchClass(double width) {
    const double w = std::fabs(width - 0.5);
    for (double pitch : {2.5, 3.5, 5.0, 7.5}) {
        if (pitch > w) {
            return pitch;
        }
    }
    return 10.0;
}

int layoutOfPitch(double pitch) {
    if (pitch == 2.5)
        return 1;
    if (pitch == 3.5)
        return 2;
    if (pitch == 5.0)
        return 3;
    if (pitch == 7.5)
        return 4;
    return 5;
}

double layoutSpacingMillimetres(int layout) {
    switch (layout) {
        case 1:
            return 2.5;
        case 2:
            return 6.0;
        case 3:
            return 5.0;
        case 4:
            return 7.5;
        default:
            return 10.0;
    }
}

float regionSpacing(double pitch, const Calibration& calibration) {
    return static_cast<float>(
        std::fabs(layoutSpacingMillimetres(layoutOfPitch(pitch)) * calibration.xRatio));
}

std::optional<SearchRegions> placeSearchRegions(int angle, float spacing, int matchArea, int layout,
                                                int width, int height) {
    // Factors of the machine's layouts: where A and B lie along d, in spacings.
    float alongA = 0;
    float alongB = 0;
    switch (layout) {
        case 1:
            alongA = -1.0f;
            alongB = 0.0f;
            break;
        case 2:
            alongA = 0.4166666666666667f;
            alongB = 1.0f;
            break;
        case 3:
        case 5:
            alongA = -0.5f;
            alongB = 0.5f;
            break;
        case 4:
            alongA = -0.33333334f;
            alongB = 0.6666667f;
            break;
        default:
            return std::nullopt;
    }
    const float a = static_cast<float>(angle) * kRadiansPerDegree;
    const float dx = std::cos(a);
    const float dy = -std::sin(a);
    const float cx = static_cast<float>(width) / 2;
    const float cy = static_cast<float>(height) / 2;
    const auto r = static_cast<float>(matchArea);
    SearchRegions regions;
    regions.a = {cx + alongA * spacing * dx, cy + alongA * spacing * dy, r};
    regions.b = {cx + alongB * spacing * dx, cy + alongB * spacing * dy, r};
    regions.c = {cx, cy, r};
    regions.angle = angle;
    return regions;
}

cv::Rect regionSquare(const SearchRegion& region) {
    return {static_cast<int>(region.x - region.radius), static_cast<int>(region.y - region.radius),
            static_cast<int>(region.radius * 2), static_cast<int>(region.radius * 2)};
}

cv::Point2d alignmentTarget(double pitch, cv::Point2d a, cv::Point2d b) {
    if (pitch == 2.5) {
        return b;
    }
    if (pitch == 3.5) {
        return b - (b - a) * 1.7142857142857142;
    }
    if (pitch == 5.0 || pitch == 10.0) {
        return (a + b) / 2;
    }
    return b * 0.3333333333333333 + a * 0.6666667;
}

double holeAngle(cv::Point2d a, cv::Point2d b) {
    return std::atan2(b.y - a.y, b.x - a.x) * kDegreesPerRadian;
}

int snapAngle(double t) {
    if (t > -2 && t < 2)
        return 0;
    if (t > 88)
        return 90;
    if (t < -88)
        return -90;
    if (t > 43 && t < 47)
        return 45;
    if (t > -47 && t < -43)
        return -45;
    return static_cast<int>(t + 0.5);
}

}  // namespace corvane::vision
