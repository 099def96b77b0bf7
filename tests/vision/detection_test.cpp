// The circle detection and the alignment rules on drawn pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <opencv2/imgproc.hpp>

#include "vision/calibration.h"
#include "vision/circle_detector.h"
#include "vision/search_regions.h"

namespace corvane::vision {
namespace {

constexpr int kWidth = 752;
constexpr int kHeight = 480;
const MatchingParameters kMatching{15, 25, 80};

// A light board with dark features, drawn to a sixteenth of a pixel.
class Picture {
  public:
    Picture() : image_(kHeight, kWidth, CV_8UC1, cv::Scalar(200)) {}
    Picture& disc(double x, double y, double r) { return ellipse(x, y, r, r); }
    Picture& ellipse(double x, double y, double halfWidth, double halfHeight) {
        cv::ellipse(image_, cv::Point(fixed(x), fixed(y)),
                    cv::Size(fixed(halfWidth), fixed(halfHeight)), 0, 0, 360, cv::Scalar(30),
                    cv::FILLED, cv::LINE_8, 4);
        return *this;
    }
    const cv::Mat& image() const { return image_; }

  private:
    static int fixed(double v) { return static_cast<int>(std::lround(v * 16)); }
    cv::Mat image_;
};

std::vector<FoundBlob> detectWhole(const cv::Mat& image) {
    CircleDetector detector;
    return detector.detect(image, cv::Rect(0, 0, image.cols, image.rows), kMatching);
}

TEST(CircleDetection, SizeAndRoundnessBoundsAreStrict) {
    // Half-axes must lie strictly between min + 1 = 16 and max - 1 = 24 pixels.
    EXPECT_FALSE(blobFits(32.0f, 32.0f, kMatching));
    EXPECT_TRUE(blobFits(32.2f, 32.2f, kMatching));
    EXPECT_FALSE(blobFits(48.0f, 48.0f, kMatching));
    EXPECT_TRUE(blobFits(47.8f, 47.8f, kMatching));
    // One axis at most 1.5 times the other, either way round (with bounds wide
    // enough for such an ellipse: the default ones only take ratios below 24/16).
    const MatchingParameters wide{10, 30, 80};
    EXPECT_TRUE(blobFits(36.0f, 54.0f, wide));
    EXPECT_TRUE(blobFits(54.0f, 36.0f, wide));
    EXPECT_FALSE(blobFits(36.0f, 36.0f * 1.51f, wide));
    EXPECT_FALSE(blobFits(36.0f * 1.51f, 36.0f, wide));

    // The same on drawn marks: just inside and just outside each bound.
    EXPECT_TRUE(detectWhole(Picture().disc(376, 240, 15.8).image()).empty());
    EXPECT_EQ(detectWhole(Picture().disc(376, 240, 16.5).image()).size(), 1u);
    EXPECT_EQ(detectWhole(Picture().disc(376, 240, 23.5).image()).size(), 1u);
    EXPECT_TRUE(detectWhole(Picture().disc(376, 240, 24.3).image()).empty());
    CircleDetector detector;
    const cv::Rect all(0, 0, kWidth, kHeight);
    EXPECT_EQ(detector.detect(Picture().ellipse(376, 240, 18, 18 * 1.47).image(), all, wide).size(),
              1u);
    EXPECT_TRUE(
        detector.detect(Picture().ellipse(376, 240, 18, 18 * 1.55).image(), all, wide).empty());
}

TEST(CircleDetection, ContoursOfFewerThanSixPointsArePassedOver) {
    // Points on a circle of radius 20: its ellipse would fit the bounds.
    auto onCircle = [](int n) {
        std::vector<cv::Point> points;
        for (int i = 0; i < n; ++i) {
            const double a = 2 * std::numbers::pi * i / n;
            points.emplace_back(static_cast<int>(std::lround(300 + 20 * std::cos(a))),
                                static_cast<int>(std::lround(200 + 20 * std::sin(a))));
        }
        return points;
    };
    EXPECT_FALSE(fitBlob(onCircle(5), kMatching).has_value());
    const auto six = fitBlob(onCircle(6), kMatching);
    ASSERT_TRUE(six.has_value());
    EXPECT_NEAR(six->x, 300, 1.0);
    EXPECT_NEAR(six->y, 200, 1.0);
}

TEST(CircleDetection, FindsMarksWhereTheyAreAndOnlyInsideTheSearchedSquare) {
    const cv::Mat image =
        Picture().disc(100.25, 80.5, 20).disc(400.75, 300.25, 20).disc(700, 420, 5).image();
    const auto whole = detectWhole(image);
    ASSERT_EQ(whole.size(), 2u) << "the small speck is no mark";
    for (const FoundBlob& b : whole) {
        const bool first = b.x < 250;
        EXPECT_NEAR(b.x, first ? 100.25 : 400.75, 0.3);
        EXPECT_NEAR(b.y, first ? 80.5 : 300.25, 0.3);
        EXPECT_NEAR((b.width + b.height) / 4, 20, 0.5);
    }
    CircleDetector detector;
    const auto inSquare = detector.detect(image, cv::Rect(360, 260, 80, 80), kMatching);
    ASSERT_EQ(inSquare.size(), 1u);
    EXPECT_NEAR(inSquare.front().x, 400.75, 0.3) << "in whole-frame coordinates";

    // A square that cuts a mark searches only what lies inside it, as if it
    // were cut out of the frame: the dark line just outside its top edge must
    // not bleed into the cut mark.
    cv::Mat lined = image.clone();
    cv::line(lined, cv::Point(300, 282), cv::Point(500, 282), cv::Scalar(30), 1);
    const cv::Rect square(360, 283, 80, 80);
    const cv::Mat cut = lined(square).clone();
    const auto inside = detector.detect(lined, square, kMatching);
    ASSERT_EQ(inside.size(), 1u);
    CircleDetector alone;
    const auto cutOut = alone.detect(cut, cv::Rect(0, 0, cut.cols, cut.rows), kMatching);
    ASSERT_EQ(cutOut.size(), 1u);
    EXPECT_FLOAT_EQ(inside[0].x, cutOut[0].x + square.x);
    EXPECT_FLOAT_EQ(inside[0].y, cutOut[0].y + square.y);
    EXPECT_FLOAT_EQ(inside[0].height, cutOut[0].height);
    // Squares partly outside the frame are clipped to it.
    EXPECT_EQ(
        detector.detect(image, cv::Rect(60, 40, 80, 80) - cv::Point(100, 80), kMatching).size(),
        0u);
    EXPECT_EQ(detector.detect(image, cv::Rect(-20, -20, 180, 160), kMatching).size(), 1u);
}

TEST(CircleDetection, ColourFramesAreBinarisedOnTheirGreyLevel) {
    cv::Mat colour;
    cv::cvtColor(Picture().disc(376, 240, 20).image(), colour, cv::COLOR_GRAY2BGR);
    EXPECT_EQ(detectWhole(colour).size(), 1u);
    cv::Mat dark(kHeight, kWidth, CV_8UC1, cv::Scalar(20));
    EXPECT_TRUE(detectWhole(dark).empty()) << "an unlit picture shows no mark";
}

TEST(AlignmentRules, HoleAnglesSnapToTheMachinesTable) {
    const std::pair<double, int> table[] = {
        {1.9, 0},     {-1.9, 0},    {44.2, 45}, {-44.2, -45}, {30.4, 30},
        {30.6, 31},   {-30.6, -30}, {87.9, 88}, {88.0, 88},   {88.1, 90},
        {-88.1, -90}, {47.0, 47},   {43.0, 43}, {2.0, 2},     {-2.0, -1},
    };
    for (const auto& [measured, snapped] : table) {
        EXPECT_EQ(snapAngle(measured), snapped) << measured;
    }
}

TEST(AlignmentRules, HolesInTheirRegionsPutTheInsertionPointAtThePictureCentre) {
    const Calibration calibration;
    for (double width : {2.5, 3.5, 5.0, 7.5, 10.0}) {
        const double pitch = pitchClass(width);
        EXPECT_EQ(pitch, width);
        for (int angle : {0, 30, 45, -45, 90, -90}) {
            SCOPED_TRACE(::testing::Message() << "pitch " << pitch << ", angle " << angle);
            const auto regions = placeSearchRegions(angle, regionSpacing(pitch, calibration), 40,
                                                    layoutOfPitch(pitch), kWidth, kHeight);
            ASSERT_TRUE(regions.has_value());
            EXPECT_FLOAT_EQ(regions->c.x, kWidth / 2.0f);
            EXPECT_FLOAT_EQ(regions->c.y, kHeight / 2.0f);
            EXPECT_FLOAT_EQ(regions->a.radius, 40.0f);
            // Holes found at the region centres, in picture coordinates (rows
            // from the top: the frame buffer is shown bottom row first).
            const cv::Point2d a(regions->a.x, kHeight - regions->a.y);
            const cv::Point2d b(regions->b.x, kHeight - regions->b.y);
            const cv::Point2d t = alignmentTarget(pitch, a, b);
            EXPECT_NEAR(t.x, kWidth / 2.0, 1e-3);
            EXPECT_NEAR(t.y, kHeight / 2.0, 1e-3);
            EXPECT_EQ(snapAngle(holeAngle(a, b)), angle);
            // The holes lie one pitch apart.
            EXPECT_NEAR(std::hypot(b.x - a.x, b.y - a.y), pitch * calibration.xRatio, 1e-3);
        }
    }
    EXPECT_EQ(pitchClass(7.50), 7.5);
    EXPECT_EQ(pitchClass(3.0), 3.5);
    EXPECT_EQ(pitchClass(12.0), 10.0);
    EXPECT_FALSE(placeSearchRegions(0, 80, 40, 6, kWidth, kHeight).has_value());
}

TEST(AlignmentRules, PixelOffsetsConvertToTheMoveThatCentresTheFeature) {
    const Calibration c{33.698, 0.54, 0.499, 33.631};
    const cv::Point2d centre(376, 240);
    // A feature that a move of (X, Y) brings to the centre lies at centre - M (X, Y).
    const double x = 1.25;
    const double y = -0.75;
    const cv::Point2d seen(centre.x - (c.xRatio * x + c.yOffset * y),
                           centre.y - (c.xOffset * x + c.yRatio * y));
    const auto move = pixelOffsetToMillimetres(seen, centre, c);
    ASSERT_TRUE(move.has_value());
    EXPECT_NEAR(move->x, x, 1e-9);
    EXPECT_NEAR(move->y, y, 1e-9);
    const cv::Point2d lengths = millimetresToPixelLengths(-x, y, c);
    EXPECT_NEAR(lengths.x, std::fabs(-c.xRatio * x + c.yOffset * y), 1e-9);
    EXPECT_NEAR(lengths.y, std::fabs(-c.xOffset * x + c.yRatio * y), 1e-9);
    // A calibration that cannot be inverted moves nothing.
    EXPECT_FALSE(pixelOffsetToMillimetres(seen, centre, Calibration{0, 0, 0, 0}).has_value());
    EXPECT_FALSE(pixelOffsetToMillimetres(seen, centre, Calibration{2, 1, 4, 2}).has_value());
}

}  // namespace
}  // namespace corvane::vision
