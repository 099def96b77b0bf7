// The detection steps on one frame.
#include "vision/circle_detector.h"

#include <opencv2/imgproc.hpp>

namespace corvane::vision {

namespace {

constexpr int kMorphologyBorder = cv::BORDER_CONSTANT | cv::BORDER_ISOLATED;

}  // namespace

bool blobFits(float width, float height, const MatchingParameters& p) {
    const float halfWidth = width / 2;
    const float halfHeight = height / 2;
    const auto low = static_cast<float>(p.minRadius + 1);
    const auto high = static_cast<float>(p.maxRadius - 1);
    return halfHeight > low && halfHeight < high && halfWidth > low && halfWidth < high &&
           height / width <= 1.5f && width / height <= 1.5f;
}

std::optional<FoundBlob> fitBlob(const std::vector<cv::Point>& contour,
                                 const MatchingParameters& parameters) {
    if (contour.size() < 6) {
        return std::nullopt;
    }
    const cv::RotatedRect box = cv::fitEllipse(contour);
    if (!blobFits(box.size.width, box.size.height, parameters)) {
        return std::nullopt;
    }
    return FoundBlob{box.center.x, box.center.y, box.size.width, box.size.height};
}

const std::vector<FoundBlob>& CircleDetector::detect(const cv::Mat& frame, cv::Rect area,
                                                     const MatchingParameters& parameters) {
    found_.clear();
    area &= cv::Rect(0, 0, frame.cols, frame.rows);
    if (area.empty() || (frame.type() != CV_8UC1 && frame.type() != CV_8UC3)) {
        return found_;
    }
    // Thresholding is pointwise and the morphology stays inside the area, so
    // the area alone is converted: the same blobs as over the whole frame.
    const cv::Mat part = frame(area);
    if (frame.channels() == 3) {
        cv::cvtColor(part, grey_, cv::COLOR_RGB2GRAY);
        cv::threshold(grey_, grey_, parameters.threshold, 255, cv::THRESH_BINARY);
    } else {
        // Thresholding into the working image is the copy.
        cv::threshold(part, grey_, parameters.threshold, 255, cv::THRESH_BINARY);
    }
    // Four closings of the white areas with the 3 x 3 element.
    for (int i = 0; i < 4; ++i) {
        cv::dilate(grey_, grey_, cv::Mat(), cv::Point(-1, -1), 1, kMorphologyBorder);
        cv::erode(grey_, grey_, cv::Mat(), cv::Point(-1, -1), 1, kMorphologyBorder);
    }
    // Dark marks and holes become white blobs.
    cv::bitwise_not(grey_, grey_);
    cv::findContours(grey_, contours_, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE, area.tl());
    for (const auto& contour : contours_) {
        if (auto blob = fitBlob(contour, parameters)) {
            found_.push_back(*blob);
        }
    }
    return found_;
}

}  // namespace corvane::vision
