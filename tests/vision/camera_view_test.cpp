// The camera view's frames and snap without a camera: what the frame
// callback does with the records the camera driver hands it.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "camera/ostrel.h"
#include "platform/message_target.h"
#include "platform/window_messages.h"
#include "vision/camera_view.h"

namespace corvane::vision {
namespace {

TQ_FrameInfo frameOf(std::vector<unsigned char>& pixels, uint32_t w, uint32_t h, uint32_t bpp) {
    pixels.assign(static_cast<size_t>(w) * h * bpp, 0);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>(i * 7);
    }
    return TQ_FrameInfo{pixels.data(), w, h, bpp, 0};
}

TEST(CameraViewFrames, AFrameOfAnotherSizeGetsAPictureOfThatSizeAndANullRecordCopiesNothing) {
    CameraView view;
    ASSERT_EQ(CameraView::current(), &view);
    EXPECT_EQ(view.imageSize(), cv::Size(752, 480));
    EXPECT_TRUE(view.picture(33.698).empty()) << "no picture before the first frame";

    std::vector<unsigned char> pixels;
    TQ_FrameInfo small = frameOf(pixels, 640, 400, 1);
    CameraView::frameCallback(&small);
    EXPECT_EQ(view.imageSize(), cv::Size(640, 400));
    EXPECT_EQ(view.bytesPerPixel(), 1);
    EXPECT_EQ(view.framesDelivered(), 1u);
    const cv::Mat shown = view.picture(33.698);
    ASSERT_EQ(shown.size(), cv::Size(640, 400));
    EXPECT_EQ(shown.type(), CV_8UC3);
    // Away from the overlay the picture is the frame, shown bottom row first.
    const cv::Vec3b p = shown.at<cv::Vec3b>(399 - 3, 5);
    EXPECT_EQ(p[0], static_cast<unsigned char>((3 * 640 + 5) * 7));
    EXPECT_EQ(p[0], p[1]);

    std::vector<unsigned char> colourPixels;
    TQ_FrameInfo colour = frameOf(colourPixels, 1024, 768, 3);
    CameraView::frameCallback(&colour);
    EXPECT_EQ(view.imageSize(), cv::Size(1024, 768));
    EXPECT_EQ(view.bytesPerPixel(), 3);
    EXPECT_EQ(view.picture(33.698).size(), cv::Size(1024, 768));

    // The driver's record after a broken-off frame: no image, nothing copied.
    TQ_FrameInfo broken{nullptr, 2592, 1944, 3, 0};
    CameraView::frameCallback(&broken);
    EXPECT_EQ(view.imageSize(), cv::Size(1024, 768));
    EXPECT_EQ(view.framesDelivered(), 2u);
}

TEST(CameraViewFrames, SnapWithTheCameraStoppedFailsAtOnceWithoutAMessage) {
    platform::MessageTarget parent;
    parent.bindToCurrentThread();
    std::vector<uint32_t> received;
    parent.setHandler([&](uint32_t message, uintptr_t, intptr_t) {
        received.push_back(message);
        return 0;
    });
    CameraView::Hooks hooks;
    hooks.parent = &parent;
    CameraView view(hooks);
    EXPECT_FALSE(view.capturing());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(view.snapAndWait());
    std::vector<CircleCandidate> found{{1, 2, 3}};
    EXPECT_FALSE(view.detectCircles(kDetectWhole, MatchingParameters{}, found));
    EXPECT_TRUE(found.empty()) << "the caller's list is emptied first";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    parent.processPending();
    EXPECT_TRUE(received.empty());
}

}  // namespace
}  // namespace corvane::vision
