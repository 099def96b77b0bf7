// The camera view: the machine program's side of the camera. It opens and
// starts the camera, takes the frames the camera driver delivers, hands a
// freshly snapped frame to the circle detection, and keeps what its picture
// shows: the search regions, the circles last found, the display mode, the
// binarised preview and the head frame. A screen shows picture().
//
// Threads. The driver calls the frame callback on its delivery thread;
// detections run on the caller's thread (window, production or calibration
// thread) while frames keep coming. The snapped frame passes from the
// callback to the detection through one atomic flag (set by the snap, cleared
// by the callback once the frame is copied); the live frame and the overlay
// state are guarded by a lock that is never held across a driver call.
//
// One view at a time in the process (current()); its owner keeps it alive
// while any thread works with it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include <opencv2/core.hpp>

#include "vision/circle_detector.h"
#include "vision/overlay.h"
#include "vision/search_regions.h"

struct TQ_FrameInfo;

namespace corvane::platform {
class MessageTarget;
}

namespace corvane::vision {

// A circle a detection found: x the picture column, y counted from the top of
// the displayed picture, radius in pixels.
struct CircleCandidate {
    float x = 0;
    float y = 0;
    float radius = 0;
};

// What a detection searches.
enum DetectMode : int {
    kDetectWhole = 0,   // the whole picture
    kDetectCentre = 1,  // region C
    kDetectRegionA = 2,
    kDetectRegionB = 3,
};

// What the picture shows.
enum DisplayMode : int { kShowWhole = 0, kShowHoles = 1, kShowCentre = 2 };

inline constexpr int kCameraWidth = 752;
inline constexpr int kCameraHeight = 480;
// Longest wait for a snapped frame, clock seconds.
inline constexpr double kSnapWaitSeconds = 0.4;

class CameraView {
  public:
    struct Hooks {
        // Lets the calling thread's pending window messages run (snap wait).
        std::function<void()> pumpMessages;
        // Told (0x040D, posted) when a snap wait runs out; may be null.
        platform::MessageTarget* parent = nullptr;
        // Called on the delivery thread after each frame; a screen schedules
        // its redraw from it. It must neither destroy the view nor call it.
        std::function<void()> frameArrived;
        // Which adapters the open sequence tries, by their system name (all
        // when empty). The simulated machine names its camera's adapter, so
        // that no other camera on the host's networks is taken for it.
        std::function<bool(const char* adapterName)> acceptAdapter;
    };

    CameraView();
    explicit CameraView(Hooks hooks);
    CameraView(const CameraView&) = delete;
    CameraView& operator=(const CameraView&) = delete;
    // Destroy: when the camera is ready, capture stopped and the camera closed.
    ~CameraView();

    // The view of the process, null while none exists.
    static CameraView* current();

    // Open camera: the open sequence while the camera is not ready, then
    // start capturing. "Failed to find the camera" and false on failure.
    bool openCamera();
    // Stop camera: capture stopped, if it ran.
    void stopCamera();
    bool capturing() const { return capturing_.load(); }
    bool cameraReady() const { return ready_.load(); }
    int device() const { return device_.load(); }
    // What the camera reported at the open sequence (0 x 0 before it).
    cv::Size resolution() const;

    // Snap and wait: asks the camera for one fresh frame (a software trigger:
    // the camera runs in snapshot mode) and waits up to 0.4 s for it, letting
    // window messages run. Fails at once while not capturing; a time-out
    // posts 0x040D to the parent.
    bool snapAndWait();
    // One more frame for the live picture (the 30 ms timer of a screen).
    void refreshPicture();

    // Detect circles: snaps, then searches by mode; true with the circles
    // found (possibly none), false when no frame came or the camera sends
    // neither 1 nor 3 channels. Sets the display mode and notes each circle
    // as the last found of its region.
    bool detectCircles(int mode, const MatchingParameters& parameters,
                       std::vector<CircleCandidate>& found);

    // The circles last found are cleared at the next redraw (the next frame
    // or picture()).
    void requestOverlayReset();
    void setDisplayMode(int mode);
    int displayMode() const;
    void setPreview(bool on, int threshold);
    void setHeadFrame(int choice);
    // Place search regions for the frame size now; false (nothing changed)
    // for a layout other than 1..5.
    bool placeSearchRegions(int angle, float spacing, int matchArea, int layout);
    SearchRegions searchRegions() const;
    std::vector<FoundBlob> lastFound(FoundSlot slot) const;

    // Size of the last frame (752 x 480 before the first) and its bytes per pixel.
    cv::Size imageSize() const;
    int bytesPerPixel() const;
    uint64_t framesDelivered() const { return frames_.load(); }

    // The live picture with the overlay, display order (overlay.h); empty
    // before the first frame. `xRatio` sizes the head frame.
    cv::Mat picture(double xRatio);

    // The frame callback registered with the camera driver.
    static void frameCallback(TQ_FrameInfo* frame);
    // What the callback does with one frame record (delivery thread).
    void onFrame(const TQ_FrameInfo& frame);

  private:
    bool openSequence();
    void failedToFindCamera();
    void clearFoundIfRequested();  // with mutex_ held

    Hooks hooks_;
    std::atomic<int> device_{0};
    std::atomic<bool> capturing_{false};
    std::atomic<bool> ready_{false};
    int resolutionWidth_ = 0;
    int resolutionHeight_ = 0;
    // Serialises this view's driver calls (the driver takes one thread per
    // device at a time) and its detections.
    mutable std::mutex cameraMutex_;
    std::mutex detectionMutex_;

    // Set by the snap, cleared by the callback after copying into capture_;
    // the callback writes capture_ only while it is set, the detection reads
    // it only after it was cleared.
    std::atomic<bool> frameWanted_{false};
    cv::Mat capture_;
    CircleDetector detector_;

    mutable std::mutex mutex_;  // the fields below
    int frameWidth_ = kCameraWidth;
    int frameHeight_ = kCameraHeight;
    int frameBytesPerPixel_ = 0;
    cv::Mat display_;
    OverlayState overlay_;
    bool overlayResetRequested_ = false;
    std::atomic<uint64_t> frames_{0};
};

}  // namespace corvane::vision
