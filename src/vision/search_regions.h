// The circular search regions of the camera view and the lead-pitch rules of
// the two-hole alignment: region layouts, target point, hole angle and its
// snapping.
#pragma once

#include <optional>

#include <opencv2/core.hpp>

#include "vision/calibration.h"

namespace corvane::vision {

// A circular search region: centre and radius in frame buffer coordinates
// (column, buffer row).
struct SearchRegion {
    float x = 0;
    float y = 0;
    float radius = 0;
};

// Regions A and B, the expected places of a footprint's two lead holes, and
// C, the picture centre where a mark is expected; with the angle they were
// placed for.
struct SearchRegions {
    SearchRegion a;
    SearchRegion b;
    SearchRegion c;
    int angle = 0;
};

// The lead pitch of a record's Width: the first of 2.5, 3.5, 5.0 and 7.5 that
// is greater than |width - 0.5|, else 10.0.
double pitchClass(double width);
// Region layout 1..5 of a pitch class (2.5, 3.5, 5.0, 7.5, 10.0).
int layoutOfPitch(double pitch);
// The length in mm whose pixel length is the spacing of a layout.
double layoutSpacingMillimetres(int layout);
// The spacing in pixels for a pitch class: |length x X amplification ratio|.
float regionSpacing(double pitch, const Calibration& calibration);

// Places the three regions for an angle (degrees), a spacing (pixels), the
// match area (region radius, pixels) and a layout 1..5 in a width x height
// frame. Nothing for another layout.
std::optional<SearchRegions> placeSearchRegions(int angle, float spacing, int matchArea, int layout,
                                                int width, int height);

// The square circumscribing a region: left, top and side truncated toward zero.
cv::Rect regionSquare(const SearchRegion& region);

// The insertion point of a footprint from its holes A and B (picture points).
cv::Point2d alignmentTarget(double pitch, cv::Point2d a, cv::Point2d b);
// The angle of the line from hole A to hole B, degrees.
double holeAngle(cv::Point2d a, cv::Point2d b);
// The angle a record takes from a measured hole angle.
int snapAngle(double degrees);

}  // namespace corvane::vision
