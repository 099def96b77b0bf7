// Finding round dark blobs (mark points, lead holes) in one camera frame:
// binarise, four closings, invert, outer contours, ellipse fits, and the
// size and roundness rules of the matching parameters.
#pragma once

#include <optional>
#include <vector>

#include <opencv2/core.hpp>

namespace corvane::vision {

// The matching parameters ("Min radius:", "Max radius:", "Value of
// binaryzation:"), in pixels and grey levels.
struct MatchingParameters {
    int minRadius = 15;
    int maxRadius = 25;
    int threshold = 80;
};

// A fitted ellipse: centre in frame buffer coordinates (column, buffer row)
// and its full width and height.
struct FoundBlob {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// Both half-axes strictly between minRadius + 1 and maxRadius - 1, and
// neither axis more than 1.5 times the other.
bool blobFits(float width, float height, const MatchingParameters& parameters);

// The ellipse of one outer contour when it fits; contours of fewer than six
// points are passed over.
std::optional<FoundBlob> fitBlob(const std::vector<cv::Point>& contour,
                                 const MatchingParameters& parameters);

// The detection steps on one frame. Keeps its working images between calls,
// so one detector serves a caller's detections without allocating.
class CircleDetector {
  public:
    // `frame`: 8-bit with 1 channel, or 3 channels converted to grey with
    // the RGB weights. Only the square `area` (clipped to the frame) is
    // searched; morphology inside it never reads outside it. Blobs come in
    // the contour finder's order, in whole-frame coordinates.
    const std::vector<FoundBlob>& detect(const cv::Mat& frame, cv::Rect area,
                                         const MatchingParameters& parameters);

  private:
    cv::Mat grey_;
    std::vector<std::vector<cv::Point>> contours_;
    std::vector<FoundBlob> found_;
};

}  // namespace corvane::vision
