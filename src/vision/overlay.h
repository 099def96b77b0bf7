// The camera view's picture: the live frame with the vision overlay (cross-
// hair, search regions, the circles last found, the insertion head's frame)
// and the binarised preview. An image in, an image out; a screen shows it.
#pragma once

#include <array>
#include <vector>

#include <opencv2/core.hpp>

#include "vision/circle_detector.h"
#include "vision/search_regions.h"

namespace corvane::vision {

// Slots of the circles last found: region A, region B, and region C or the
// whole picture.
enum FoundSlot : int { kFoundA = 0, kFoundB = 1, kFoundCentre = 2 };

struct OverlayState {
    SearchRegions regions;
    std::array<std::vector<FoundBlob>, 3> lastFound;
    int displayMode = 1;  // 0 whole picture, 1 regions A and B, 2 region C
    bool previewOn = false;
    int previewThreshold = 80;
    int headFrame = 0;       // 0, 1 or 2
    double xRatio = 33.698;  // X amplification ratio, for the head frame's size
};

// Draws the overlay over a frame (8-bit, 1, 3 or 4 channels, frame buffer row
// order) and answers a blue-green-red picture in display order (top row
// first; frame buffers are shown bottom row first).
cv::Mat drawOverlay(const cv::Mat& frame, const OverlayState& state);

}  // namespace corvane::vision
