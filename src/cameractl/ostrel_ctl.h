// OstrelCtl: the camera control, one camera of the driver in a window.
//
// It lets the user pick a camera, starts capture, shows every delivered image
// and offers the driver's settings as methods. Hosts reach the methods by
// dispatch id or by name through the dispatch table (dispatch_table.h), which
// is the control's contract; C++ hosts may also call them directly. Methods
// run on the host's GUI thread. A failing driver call shows a message box and
// answers a negative code; the run state is left as it was.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <QAbstractScrollArea>
#include <QImage>

#include "camera/ostrel.h"
#include "cameractl/ostrelctl_export.h"

namespace ostrelctl {

class SelectDeviceDialog;

inline constexpr int32_t kSuccess = static_cast<int32_t>(TQ_SUCCESS);
inline constexpr int kMaxControls = 10;  // device indexes 0 to 9

enum RunState : int { kStopped = 1, kRunning = 2, kSuspended = 3 };

// The record of the type library, for hosts that keep the mode as one value.
struct OstrelCtl_PreSnap_State_i {
    int32_t nPreview;
    int32_t nSnapMode;
};

// How "Select Device" is answered: by default the dialog runs modally.
using DeviceChooser = std::function<void(SelectDeviceDialog&)>;

class OSTRELCTL_API OstrelCtl : public QAbstractScrollArea {
  public:
    explicit OstrelCtl(QWidget* parent = nullptr);
    ~OstrelCtl() override;

    int runState() const { return runState_; }
    // The device index the methods use: -1 until one is chosen.
    int deviceIndex() const { return deviceIndex_; }
    // How many images the window has shown.
    uint64_t imagesShown() const { return imagesShown_; }
    QImage shownImage() const { return image_.copy(); }
    QSize imageSize() const { return image_.size(); }
    static void setDeviceChooser(DeviceChooser chooser);

    // The dispatch interface, in the order of its ids.
    double TQGetFrameRate();
    int32_t TQSaveParaToIniFile();
    int32_t TQSnapSWTrigger();
    int32_t TQSetImageColorStat(bool bColor);
    int32_t TQSetSnapDebounceTime(int32_t lDebouncerTime);
    int32_t TQGetSnapDebounceTime(int32_t* plDebouncerTime);
    int32_t TQGetSnapExpTime(int32_t* plExpTime);
    int32_t TQGetSnapTrigFreqImgCount(int32_t* plTrigFreq, int32_t* plTrigImgCount);
    int32_t TQSetSnapTrigFreqImgCount(int32_t lTrigFreq, int32_t lTrigImgCount);
    int32_t TQSetSnapIOMode(int32_t nInMode, int32_t nOutMode);
    int32_t TQSetPreviewSnapMode(int32_t nPreview, int32_t nSnapMode);
    int32_t TQSetResolution(int32_t nVideoWidth, int32_t nVideoHeight);
    int32_t TQGetSnapIOMode(int32_t* pnInMode, int32_t* pnOutMode);
    int32_t TQGetResolution(int32_t* pnVideoWidth, int32_t* pnVideoHeight);
    int32_t TQGetSnapExpTimeRange(int32_t* pnExpTimeMax, int32_t* pnExpTimeMin);
    int32_t TQGetTrigFreqRange(int32_t* pnTrigFreqMax, int32_t* pnTrigFreqMin);
    int32_t TQGetPreviewSnapMode(int32_t* pnPreview, int32_t* pnSnapMode);
    void TQDevCapRelease();
    void TQGetDevice0();
    // The address of the control's copy of the image (0 on failure).
    uintptr_t TQGetOutFrameBuffer(int32_t* pWidth, int32_t* pHeight, int32_t* pBufferSize);
    void TQOpenDevice0();
    int32_t TQOpenDevList();
    int32_t TQStartCapture();
    int32_t TQStopCapture();
    int32_t TQShowSnapshotPage();
    int32_t TQShowControlPage();
    int32_t TQSaveImage(const char* lpFileName);
    int32_t TQSuspendCapture(bool bSuspend);
    int32_t TQCloseDevice();
    int32_t TQGetBlackLevelInfo(TQ_BlackLevelInfo* psBlackLevel);
    int32_t TQSetBlackLevelInfo(const TQ_BlackLevelInfo* psBlackLevel);
    int32_t TQGetBlackLevelValue(int32_t* pnValue);        // five values
    int32_t TQSetBlackLevelValue(const int32_t* pnValue);  // five values
    int32_t TQGetExposureInfo(TQ_ExposureInfo* psExposure);
    int32_t TQSetExposureInfo(const TQ_ExposureInfo* psExposure);
    int32_t TQSetExposureValue(const int32_t* pnValue);  // one value
    int32_t TQGetGainInfo(TQ_GainInfo* psGain);
    int32_t TQSetGainInfo(const TQ_GainInfo* psGain);
    int32_t TQGetGainValue(int32_t* pnValue);        // five values
    int32_t TQSetGainValue(const int32_t* pnValue);  // five values
    int32_t TQGetImageGammaState(int32_t* pbGamma);
    int32_t TQSetImageGammaState(bool bGamma);
    int32_t TQSetImageMirror(int32_t nMirror);
    int32_t TQSetROI(int32_t nOriginalX, int32_t nOriginalY, int32_t nImgWidth, int32_t nImgHeight);
    int32_t TQSetResolutionMode(int32_t nMode);
    int32_t TQGetDevice(int32_t nDevId);
    int32_t TQGetMaxResolution(int32_t* pnMaxWidth, int32_t* pnMaxHeight);
    int32_t TQGetImageMirror(int32_t* pnMirror);
    int32_t TQGetImageColorStat(int32_t* pnColorState);
    int32_t TQSetNoDispInCallback(bool bNoDisp);
    int32_t TQGetExposureValue(int32_t* pnValue);
    int32_t TQAllocation(int32_t nWidth, int32_t nHeight);
    int32_t TQSetSnapExpTime(int32_t lExpTime);
    void AboutBox();

    // Called on the driver's delivery thread with a delivered image: copies
    // it and hands it to the window's thread.
    void takeFrame(const TQ_FrameInfo& frame);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The device the methods act on: the chosen one, else device 0 when it
    // was started by TQGetDevice0 or TQOpenDevice0.
    int device() const;
    // A failed call: the box and the code.
    int32_t fail(const char* text, int32_t code, bool icon = true);
    int32_t openAndStart(int index, bool fromList);
    bool openDevice(int index, const char* openText, int32_t* code);
    void startDeviceZero(bool goOnAfterStopFailure);
    void freeBuffer();
    void showIncoming();
    void updateScrollArea();

    int deviceIndex_ = -1;
    bool startedOnZero_ = false;
    int runState_ = kStopped;
    unsigned char* buffer_ = nullptr;  // malloc'ed: the driver frees and replaces it
    double lastFrameRate_ = 0.0;

    // Filled on the delivery thread, shown on the window's.
    std::mutex incomingLock_;
    std::vector<uint8_t> incoming_;
    int incomingWidth_ = 0;
    int incomingHeight_ = 0;
    int incomingBytesPerPixel_ = 0;
    bool updatePending_ = false;

    std::vector<uint8_t> shown_;  // the pixels image_ is drawn from
    QImage image_;
    uint64_t imagesShown_ = 0;
};

}  // namespace ostrelctl
