// The camera view: open sequence, frame callback, snap and wait, detection.
#include "vision/camera_view.h"

#include <cstdlib>
#include <cstring>

#include "camera/ostrel.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/message_box.h"
#include "platform/message_target.h"
#include "platform/window_messages.h"

namespace corvane::vision {

namespace {

// Each kind of last-found circle is kept for the picture until the next
// overlay reset; a view that is never drawn keeps only the newest.
constexpr size_t kFoundKept = 64;
constexpr int kDefaultMatchArea = 40;

std::mutex& viewLock() {
    static std::mutex lock;
    return lock;
}

CameraView*& currentView() {
    static CameraView* view = nullptr;
    return view;
}

void freeDeviceList(TQ_DeviceNode* node) {
    while (node != nullptr) {
        TQ_DeviceNode* next = node->next;
        std::free(node->name);
        std::free(node->description);
        std::free(node->hardwareAddress);
        std::free(node);
        node = next;
    }
}

}  // namespace

CameraView::CameraView() : CameraView(Hooks{}) {}

CameraView::CameraView(Hooks hooks) : hooks_(std::move(hooks)) {
    // Until a caller places them: the 2.5 mm layout at angle 0 with the
    // default match area, so that region C is the picture centre.
    overlay_.regions =
        *vision::placeSearchRegions(0, 0, kDefaultMatchArea, 1, frameWidth_, frameHeight_);
    std::lock_guard lock(viewLock());
    currentView() = this;
}

CameraView::~CameraView() {
    {
        std::lock_guard lock(cameraMutex_);
        if (ready_.load()) {
            // Stopping joins the delivery thread, so no callback runs past here.
            TQ_StopCapture(device_.load());
            capturing_ = false;
            // The camera is left streaming as it powers up: the next view's
            // capture initialisation waits for a frame before anything else.
            TQ_SetPreviewSnapMode(1, 0, device_.load());
            TQ_CloseDevice(device_.load());
        }
    }
    std::lock_guard lock(viewLock());
    if (currentView() == this) {
        currentView() = nullptr;
    }
}

CameraView* CameraView::current() {
    std::lock_guard lock(viewLock());
    return currentView();
}

cv::Size CameraView::resolution() const {
    std::lock_guard lock(cameraMutex_);
    return {resolutionWidth_, resolutionHeight_};
}

void CameraView::failedToFindCamera() {
    platform::messageBox(tr("Failed to find the camera", "没有找到相机"));
}

bool CameraView::openSequence() {
    int device = device_.load();
    TQ_StopCapture(device);
    TQ_DeviceNode* list = nullptr;
    int count = 0;
    if (TQ_EnumerateDevice(&list, &count) != TQ_SUCCESS) {
        list = nullptr;
        count = 0;
    }
    bool opened = false;
    const TQ_DeviceNode* node = list;
    for (int i = 0; i < count && node != nullptr && !opened; ++i, node = node->next) {
        if (hooks_.acceptAdapter && !hooks_.acceptAdapter(node->name)) {
            continue;
        }
        device_ = i;
        opened = TQ_OpenDevice(i) == TQ_SUCCESS;
    }
    freeDeviceList(list);
    device = device_.load();
    if (!opened) {
        return false;
    }
    if (TQ_DevCapInit(device, nullptr) != TQ_SUCCESS ||
        TQ_SetResolution(kCameraWidth, kCameraHeight, device) != TQ_SUCCESS) {
        // Closed again, so that the next attempt can open it afresh.
        TQ_CloseDevice(device);
        return false;
    }
    TQ_SetExposureEnable(1, device);
    TQ_SetExposureValue(200, device);
    TQ_Resolution resolution{};
    TQ_GetResolution(&resolution, device);
    resolutionWidth_ = resolution.width;
    resolutionHeight_ = resolution.height;
    TQ_SetSnapTrigFreqImgCount(40, 0, device);
    TQ_SetPreviewSnapMode(0, 1, device);
    TQ_SetImageMirror(2, device);
    TQ_SetCallBack(&CameraView::frameCallback, device);
    TQ_SnapSWTrigger(device);
    ready_ = true;
    return true;
}

bool CameraView::openCamera() {
    std::lock_guard lock(cameraMutex_);
    if (!ready_.load() && !openSequence()) {
        failedToFindCamera();
        return false;
    }
    if (!capturing_.load()) {
        const uint64_t before = frames_.load();
        if (TQ_StartCapture(device_.load()) != TQ_SUCCESS) {
            failedToFindCamera();
            return false;
        }
        capturing_ = true;
        // The first frame after a start can be the rest of one the camera
        // began before (mostly black): it goes to the picture, not to a snap.
        const int64_t start = platform::Clock::performanceCounter();
        while (frames_.load() == before && platform::secondsSince(start) < kSnapWaitSeconds) {
            if (hooks_.pumpMessages) {
                hooks_.pumpMessages();
            }
            platform::Clock::sleepMs(1);
        }
    }
    return true;
}

void CameraView::stopCamera() {
    std::lock_guard lock(cameraMutex_);
    if (capturing_.load()) {
        TQ_StopCapture(device_.load());
        capturing_ = false;
    }
}

bool CameraView::snapAndWait() {
    if (!capturing_.load()) {
        return false;
    }
    frameWanted_.store(true, std::memory_order_release);
    {
        std::lock_guard lock(cameraMutex_);
        TQ_SnapSWTrigger(device_.load());
    }
    const int64_t start = platform::Clock::performanceCounter();
    while (frameWanted_.load(std::memory_order_acquire)) {
        if (platform::secondsSince(start) >= kSnapWaitSeconds) {
            // A frame that came at the last moment still counts.
            if (!frameWanted_.exchange(false, std::memory_order_acq_rel)) {
                return true;
            }
            if (hooks_.parent != nullptr) {
                hooks_.parent->post(MSG_CAMERA_SNAP_TIMEOUT);
            }
            return false;
        }
        if (hooks_.pumpMessages) {
            hooks_.pumpMessages();
        }
        platform::Clock::sleepMs(1);
    }
    return true;
}

void CameraView::refreshPicture() {
    std::lock_guard lock(cameraMutex_);
    if (capturing_.load()) {
        TQ_SnapSWTrigger(device_.load());
    }
}

bool CameraView::detectCircles(int mode, const MatchingParameters& parameters,
                               std::vector<CircleCandidate>& found) {
    found.clear();
    std::lock_guard detection(detectionMutex_);
    if (!snapAndWait()) {
        return false;
    }
    int channels = 0;
    {
        std::lock_guard lock(cameraMutex_);
        TQ_GetImageChannel(&channels, device_.load());
    }
    // The snapped frame must have the layout the camera reports, or the
    // search would read past its end.
    if ((channels != 1 && channels != 3) || capture_.channels() != channels) {
        return false;
    }
    cv::Rect area;
    FoundSlot slot = kFoundCentre;
    {
        std::lock_guard lock(mutex_);
        switch (mode) {
            case kDetectWhole:
                area = cv::Rect(0, 0, capture_.cols, capture_.rows);
                overlay_.displayMode = kShowWhole;
                break;
            case kDetectCentre:
                area = regionSquare(overlay_.regions.c);
                overlay_.displayMode = kShowCentre;
                break;
            case kDetectRegionA:
                area = regionSquare(overlay_.regions.a);
                overlay_.displayMode = kShowHoles;
                slot = kFoundA;
                break;
            case kDetectRegionB:
                area = regionSquare(overlay_.regions.b);
                overlay_.displayMode = kShowHoles;
                slot = kFoundB;
                break;
            default:
                return false;
        }
    }
    const std::vector<FoundBlob>& blobs = detector_.detect(capture_, area, parameters);
    {
        std::lock_guard lock(mutex_);
        std::vector<FoundBlob>& kept = overlay_.lastFound[slot];
        for (const FoundBlob& b : blobs) {
            if (kept.size() >= kFoundKept) {
                kept.erase(kept.begin());
            }
            kept.push_back(b);
        }
    }
    const auto height = static_cast<float>(capture_.rows);
    for (const FoundBlob& b : blobs) {
        found.push_back({b.x, height - b.y, (b.width + b.height) * 0.25f});
    }
    return true;
}

void CameraView::requestOverlayReset() {
    std::lock_guard lock(mutex_);
    overlayResetRequested_ = true;
}

void CameraView::setDisplayMode(int mode) {
    std::lock_guard lock(mutex_);
    overlay_.displayMode = mode;
}

int CameraView::displayMode() const {
    std::lock_guard lock(mutex_);
    return overlay_.displayMode;
}

void CameraView::setPreview(bool on, int threshold) {
    std::lock_guard lock(mutex_);
    overlay_.previewOn = on;
    overlay_.previewThreshold = threshold;
}

void CameraView::setHeadFrame(int choice) {
    std::lock_guard lock(mutex_);
    overlay_.headFrame = choice;
}

bool CameraView::placeSearchRegions(int angle, float spacing, int matchArea, int layout) {
    std::lock_guard lock(mutex_);
    auto regions =
        vision::placeSearchRegions(angle, spacing, matchArea, layout, frameWidth_, frameHeight_);
    if (!regions) {
        return false;
    }
    overlay_.regions = *regions;
    return true;
}

SearchRegions CameraView::searchRegions() const {
    std::lock_guard lock(mutex_);
    return overlay_.regions;
}

std::vector<FoundBlob> CameraView::lastFound(FoundSlot slot) const {
    std::lock_guard lock(mutex_);
    return overlay_.lastFound[slot];
}

cv::Size CameraView::imageSize() const {
    std::lock_guard lock(mutex_);
    return {frameWidth_, frameHeight_};
}

int CameraView::bytesPerPixel() const {
    std::lock_guard lock(mutex_);
    return frameBytesPerPixel_;
}

cv::Mat CameraView::picture(double xRatio) {
    cv::Mat frame;
    OverlayState state;
    {
        std::lock_guard lock(mutex_);
        clearFoundIfRequested();
        if (display_.empty()) {
            return {};
        }
        display_.copyTo(frame);
        state = overlay_;
    }
    state.xRatio = xRatio;
    return drawOverlay(frame, state);
}

void CameraView::clearFoundIfRequested() {
    if (overlayResetRequested_) {
        for (auto& found : overlay_.lastFound) {
            found.clear();
        }
        overlayResetRequested_ = false;
    }
}

void CameraView::frameCallback(TQ_FrameInfo* frame) {
    if (frame == nullptr) {
        return;
    }
    std::lock_guard lock(viewLock());
    if (CameraView* view = currentView()) {
        view->onFrame(*frame);
    }
}

void CameraView::onFrame(const TQ_FrameInfo& frame) {
    // A record without an image follows a frame the camera broke off.
    if (frame.image == nullptr || frame.width == 0 || frame.height == 0 ||
        frame.bytesPerPixel < 1 || frame.bytesPerPixel > 4 || frame.width > 16384 ||
        frame.height > 16384) {
        return;
    }
    const int w = static_cast<int>(frame.width);
    const int h = static_cast<int>(frame.height);
    const int bpp = static_cast<int>(frame.bytesPerPixel);
    const size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(bpp);
    {
        std::lock_guard lock(mutex_);
        // Every frame redraws the picture; a requested reset empties the
        // circles found before it.
        clearFoundIfRequested();
        if (w != frameWidth_ || h != frameHeight_ || bpp != frameBytesPerPixel_) {
            frameWidth_ = w;
            frameHeight_ = h;
            frameBytesPerPixel_ = bpp;
        }
        display_.create(h, w, CV_8UC(bpp));
        std::memcpy(display_.data, frame.image, bytes);
    }
    if (frameWanted_.load(std::memory_order_acquire)) {
        capture_.create(h, w, CV_8UC(bpp));
        std::memcpy(capture_.data, frame.image, bytes);
        frameWanted_.store(false, std::memory_order_release);
    }
    frames_.fetch_add(1);
    if (hooks_.frameArrived) {
        hooks_.frameArrived();
    }
}

}  // namespace corvane::vision
