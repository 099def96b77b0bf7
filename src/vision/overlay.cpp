// Drawing the camera view's overlay.
#include "vision/overlay.h"

#include <cmath>

#include <opencv2/imgproc.hpp>

namespace corvane::vision {

namespace {

const cv::Scalar kCrossHair(0, 0, 255);
const cv::Scalar kRegion(0, 255, 0);
const cv::Scalar kHoleLine(255, 0, 0);
const cv::Scalar kFound(0, 255, 255);
const cv::Scalar kHeadFrame(255, 255, 0);
const cv::Scalar kHeadBox(255, 0, 255);

constexpr float kRadiansPerDegree = 0.017453292f;

void drawRegion(cv::Mat& m, const SearchRegion& r) {
    cv::circle(m, cv::Point(cvRound(r.x), cvRound(r.y)), cvRound(r.radius), kRegion, 1, cv::LINE_8);
}

void drawFound(cv::Mat& m, const std::vector<FoundBlob>& blobs) {
    for (const FoundBlob& b : blobs) {
        cv::circle(m, cv::Point(cvRound(b.x), cvRound(b.y)), cvRound((b.width + b.height) * 0.25f),
                   kFound, 1, cv::LINE_8);
    }
}

}  // namespace

cv::Mat drawOverlay(const cv::Mat& frame, const OverlayState& s) {
    cv::Mat work;
    if (frame.empty()) {
        return work;
    }
    switch (frame.channels()) {
        case 1:
            cv::cvtColor(frame, work, cv::COLOR_GRAY2BGR);
            break;
        case 4:
            cv::cvtColor(frame, work, cv::COLOR_BGRA2BGR);
            break;
        default:
            frame.copyTo(work);
            break;
    }
    if (s.previewOn) {
        cv::threshold(work, work, s.previewThreshold, 255, cv::THRESH_BINARY);
        cv::dilate(work, work, cv::Mat());
        cv::erode(work, work, cv::Mat());
    }
    const int w = work.cols;
    const int h = work.rows;
    const cv::Point centre(w / 2, h / 2);
    cv::line(work, cv::Point(0, h / 2), cv::Point(w, h / 2), kCrossHair, 2, cv::LINE_8);
    cv::line(work, cv::Point(w / 2, 0), cv::Point(w / 2, h), kCrossHair, 2, cv::LINE_8);

    const float radius = s.regions.c.radius;
    const float a = static_cast<float>(s.regions.angle) * kRadiansPerDegree;
    const cv::Point2f d(std::cos(a), -std::sin(a));
    if (s.displayMode == 1) {
        drawRegion(work, s.regions.a);
        drawRegion(work, s.regions.b);
        cv::line(work, cv::Point(cvRound(s.regions.a.x), cvRound(s.regions.a.y)),
                 cv::Point(cvRound(s.regions.b.x), cvRound(s.regions.b.y)), kHoleLine, 1,
                 cv::LINE_8);
        drawFound(work, s.lastFound[kFoundA]);
        drawFound(work, s.lastFound[kFoundB]);
        const cv::RotatedRect box(centre, cv::Size2f(2 * radius, 2 * radius),
                                  -static_cast<float>(s.regions.angle));
        cv::Point2f corners[4];
        box.points(corners);
        for (int i = 0; i < 4; ++i) {
            cv::line(work, corners[i], corners[(i + 1) % 4], kHeadBox, 1, cv::LINE_8);
        }
    } else if (s.displayMode == 2) {
        drawRegion(work, s.regions.c);
        drawFound(work, s.lastFound[kFoundCentre]);
    } else {
        drawFound(work, s.lastFound[kFoundCentre]);
    }

    // The insertion head's frame: 5 mm, the 3.5 mm footprint's reach (its
    // holes lie 2.5 to 6.0 mm along the region angle) or 10 mm.
    const double ratio = s.xRatio;
    cv::Point2f headCentre(centre);
    double headRadius = std::fabs(ratio * 5.0);
    if (s.headFrame == 1) {
        const double along = (std::fabs(ratio * 6.0) + std::fabs(ratio * 2.5)) / 2;
        headCentre += d * static_cast<float>(along);
        headRadius = std::fabs(ratio * 8.5);
    } else if (s.headFrame == 2) {
        headRadius = std::fabs(ratio * 10.0);
    }
    headRadius += 2.0 * radius;
    cv::circle(work, cv::Point(cvRound(headCentre.x), cvRound(headCentre.y)), cvRound(headRadius),
               kHeadFrame, 1, cv::LINE_8);

    cv::Mat shown;
    cv::flip(work, shown, 0);
    return shown;
}

}  // namespace corvane::vision
