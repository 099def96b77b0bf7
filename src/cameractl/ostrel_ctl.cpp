// The camera control's methods, its image window and its device choice.
#include "cameractl/ostrel_ctl.h"

#include <iconv.h>

#include <cstdlib>
#include <cstring>

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include "cameractl/control_messages.h"
#include "cameractl/frame_routing.h"
#include "cameractl/select_device_dialog.h"

namespace ostrelctl {

namespace {

constexpr int32_t kBadArgument = -7;

bool ok(uint32_t status) {
    return status == TQ_SUCCESS;
}

DeviceChooser& chooser() {
    static DeviceChooser c;
    return c;
}

const QList<QRgb>& greyPalette() {
    static const QList<QRgb> palette = [] {
        QList<QRgb> p;
        for (int i = 0; i < 256; ++i) {
            p.push_back(qRgb(i, i, i));
        }
        return p;
    }();
    return palette;
}

// The driver's status texts are GBK bytes.
QString fromGbk(const char* text) {
    if (text == nullptr || *text == '\0') {
        return {};
    }
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return QString::fromLatin1(text);
    }
    std::string in(text);
    std::string out(in.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) {
        return QString::fromLatin1(text);
    }
    out.resize(out.size() - outLeft);
    return QString::fromStdString(out);
}

QStringList adapterDescriptions() {
    QStringList lines;
    TQ_DeviceNode* list = nullptr;
    int count = 0;
    if (!ok(TQ_EnumerateDevice(&list, &count))) {
        return lines;
    }
    // The list is the caller's to free.
    while (list != nullptr) {
        lines.push_back(QString::fromLocal8Bit(list->description ? list->description : ""));
        TQ_DeviceNode* next = list->next;
        std::free(list->name);
        std::free(list->description);
        std::free(list->hardwareAddress);
        std::free(list);
        list = next;
    }
    return lines;
}

// Rows as a BMP file holds them: bottom-up, each padded to 4 bytes. Colour
// images come bottom-up already; one-byte images come top-down.
std::vector<unsigned char> bmpRows(const unsigned char* image, int width, int height,
                                   int bytesPerPixel) {
    const size_t row = static_cast<size_t>(width) * static_cast<size_t>(bytesPerPixel);
    const size_t padded = (row + 3) / 4 * 4;
    std::vector<unsigned char> rows(padded * static_cast<size_t>(height), 0);
    for (int r = 0; r < height; ++r) {
        const int from = bytesPerPixel == 1 ? height - 1 - r : r;
        std::memcpy(rows.data() + padded * static_cast<size_t>(r),
                    image + row * static_cast<size_t>(from), row);
    }
    return rows;
}

}  // namespace

OstrelCtl::OstrelCtl(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName("ostrelCtl");
    setMinimumSize(160, 120);
    viewport()->setAutoFillBackground(false);
}

OstrelCtl::~OstrelCtl() {
    releaseControl(this);
    if (runState_ != kStopped) {
        TQ_StopCapture(device());
    }
    freeBuffer();
}

void OstrelCtl::setDeviceChooser(DeviceChooser c) {
    chooser() = std::move(c);
}

int OstrelCtl::device() const {
    if (deviceIndex_ >= 0) {
        return deviceIndex_;
    }
    return startedOnZero_ ? 0 : -1;
}

int32_t OstrelCtl::fail(const char* text, int32_t code, bool icon) {
    showMessage({QString::fromUtf8(text), "Error", icon ? BoxIcon::Error : BoxIcon::None}, this);
    return code;
}

void OstrelCtl::freeBuffer() {
    std::free(buffer_);
    buffer_ = nullptr;
}

double OstrelCtl::TQGetFrameRate() {
    double rate = 0.0;
    if (!ok(TQ_GetFrameRate(&rate, device()))) {
        return fail("Get Frame Rate Fail!", -15);
    }
    lastFrameRate_ = rate;
    return rate;
}

int32_t OstrelCtl::TQSaveParaToIniFile() {
    return ok(TQ_SaveParaToIniFile(device())) ? kSuccess : fail("Save Configurations Fail!", -21);
}

int32_t OstrelCtl::TQSnapSWTrigger() {
    return ok(TQ_SnapSWTrigger(device())) ? kSuccess : fail("Snap Software Trigger Fail!", -25);
}

int32_t OstrelCtl::TQSetImageColorStat(bool bColor) {
    return ok(TQ_SetImageColorStat(bColor ? 1 : 0, device()))
               ? kSuccess
               : fail("Set Image Color State Fail!", -16);
}

int32_t OstrelCtl::TQSetSnapDebounceTime(int32_t lDebouncerTime) {
    return ok(TQ_SetSnapDebounceTime(lDebouncerTime, device()))
               ? kSuccess
               : fail("Set Snap Debounce Time Fail!", -16);
}

int32_t OstrelCtl::TQGetSnapDebounceTime(int32_t* plDebouncerTime) {
    int v = 0;
    if (!ok(TQ_GetSnapDebounceTime(&v, device()))) {
        return fail("Get Image Snap Debounce Fail!", -15);
    }
    if (plDebouncerTime != nullptr) {
        *plDebouncerTime = v;
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetSnapExpTime(int32_t* plExpTime) {
    int v = 0;
    if (!ok(TQ_GetSnapExpTime(&v, device()))) {
        return fail("Get Snap Exposure Time Fail!", -15);
    }
    if (plExpTime != nullptr) {
        *plExpTime = v;
    }
    return kSuccess;
}

namespace {

void put(int32_t* out, int value) {
    if (out != nullptr) {
        *out = value;
    }
}

}  // namespace

int32_t OstrelCtl::TQGetSnapTrigFreqImgCount(int32_t* plTrigFreq, int32_t* plTrigImgCount) {
    int f = 0;
    int c = 0;
    if (!ok(TQ_GetSnapTrigFreqImgCount(&f, &c, device()))) {
        return fail("Get Snap Trigger Freq. and Image Count Fail!", -15);
    }
    put(plTrigFreq, f);
    put(plTrigImgCount, c);
    return kSuccess;
}

int32_t OstrelCtl::TQSetSnapTrigFreqImgCount(int32_t lTrigFreq, int32_t lTrigImgCount) {
    return ok(TQ_SetSnapTrigFreqImgCount(lTrigFreq, lTrigImgCount, device()))
               ? kSuccess
               : fail("Set Snap Trigger Freq. and Image Count Fail!", -16);
}

int32_t OstrelCtl::TQSetSnapIOMode(int32_t nInMode, int32_t nOutMode) {
    return ok(TQ_SetSnapIOMode(nInMode, nOutMode, device())) ? kSuccess
                                                             : fail("Set Snap IO Mode Fail!", -16);
}

int32_t OstrelCtl::TQSetPreviewSnapMode(int32_t nPreview, int32_t nSnapMode) {
    return ok(TQ_SetPreviewSnapMode(nPreview, nSnapMode, device()))
               ? kSuccess
               : fail("Set Preveiew Snap Mode Fail!", -16);
}

int32_t OstrelCtl::TQSetResolution(int32_t nVideoWidth, int32_t nVideoHeight) {
    return ok(TQ_SetResolution(nVideoWidth, nVideoHeight, device()))
               ? kSuccess
               : fail("Set Resolution Fail!", -16);
}

int32_t OstrelCtl::TQGetSnapIOMode(int32_t* pnInMode, int32_t* pnOutMode) {
    int in = 0;
    int out = 0;
    if (!ok(TQ_GetSnapIOMode(&in, &out, device()))) {
        return fail("Get Snap IO Mode Fail!", -15);
    }
    put(pnInMode, in);
    put(pnOutMode, out);
    return kSuccess;
}

int32_t OstrelCtl::TQGetResolution(int32_t* pnVideoWidth, int32_t* pnVideoHeight) {
    TQ_Resolution r{};
    if (!ok(TQ_GetResolution(&r, device()))) {
        return fail("Get Resolution Fail!", -15);
    }
    put(pnVideoWidth, r.width);
    put(pnVideoHeight, r.height);
    return kSuccess;
}

int32_t OstrelCtl::TQGetSnapExpTimeRange(int32_t* pnExpTimeMax, int32_t* pnExpTimeMin) {
    TQ_Range r{};
    if (!ok(TQ_GetSnapExpTimeRange(&r, device()))) {
        return fail("Get Snap Exposure Time Range Fail!", -15);
    }
    put(pnExpTimeMax, r.maximum);
    put(pnExpTimeMin, r.minimum);
    return kSuccess;
}

int32_t OstrelCtl::TQGetTrigFreqRange(int32_t* pnTrigFreqMax, int32_t* pnTrigFreqMin) {
    TQ_Range r{};
    if (!ok(TQ_GetTrigFreqRange(&r, device()))) {
        return fail("Get Trigger Freq. Range Fail!", -15);
    }
    put(pnTrigFreqMax, r.maximum);
    put(pnTrigFreqMin, r.minimum);
    return kSuccess;
}

int32_t OstrelCtl::TQGetPreviewSnapMode(int32_t* pnPreview, int32_t* pnSnapMode) {
    int p = 0;
    int s = 0;
    if (!ok(TQ_GetPreviewSnapMode(&p, &s, device()))) {
        return fail("Get Preview Snap Mode Fail!", -15);
    }
    put(pnPreview, p);
    put(pnSnapMode, s);
    return kSuccess;
}

void OstrelCtl::TQDevCapRelease() {
    TQ_DevCapRelease(device());
    // The driver stopped the device's threads with its buffers.
    runState_ = kStopped;
    freeBuffer();
}

bool OstrelCtl::openDevice(int index, const char* openText, int32_t* code) {
    const uint32_t opened = TQ_OpenDevice(index);
    // A device this library opened before answers "already open": it is
    // taken up again rather than refused.
    if (!ok(opened) && !(opened == TQ_E_FAILED && openedByControl(index))) {
        *code = fail(openText, -23);
        return false;
    }
    setOpenedByControl(index, true);
    serveIndex(index, this);
    if (!ok(TQ_DevCapInit(index, nullptr))) {
        *code = fail("Device Init Fail!", -11);
        return false;
    }
    if (!ok(TQ_GetParamInfo(0, videoInfo(index), index))) {
        *code = fail("Get Video Info Fail!", -15);
        return false;
    }
    TQ_SetCallBack(frameCallback(index), index);
    return true;
}

int32_t OstrelCtl::openAndStart(int index, bool fromList) {
    int32_t code = kSuccess;
    if (!openDevice(index, "Open Device Fail!", &code)) {
        return code;
    }
    if (!ok(TQ_StartCapture(index))) {
        return fail(fromList ? "Start Capture Fail!" : "Device Start Fail!", -2);
    }
    runState_ = kRunning;
    return kSuccess;
}

void OstrelCtl::startDeviceZero(bool goOnAfterStopFailure) {
    if (!ok(TQ_StopCapture(0))) {
        if (!goOnAfterStopFailure) {
            fail("Stop Device Fail!", -3);
            return;
        }
        fail("Device Stop Fail!", -3);
    } else if (device() == 0) {
        runState_ = kStopped;
    }
    int32_t code = kSuccess;
    if (!openDevice(0, "Open Device Fail!", &code)) {
        return;
    }
    const uint32_t started = TQ_StartCapture(0);
    if (!ok(started)) {
        if (goOnAfterStopFailure) {
            const QString text = fromGbk(TQ_GetErrorString(started));
            showMessage(
                {text.isEmpty() ? QString("Device Start Fail!") : text, "Error", BoxIcon::Error},
                this);
        } else {
            fail("Device Start Fail!", -2);
        }
        return;
    }
    startedOnZero_ = true;
    runState_ = kRunning;
}

void OstrelCtl::TQGetDevice0() {
    startDeviceZero(false);
}

void OstrelCtl::TQOpenDevice0() {
    startDeviceZero(true);
}

uintptr_t OstrelCtl::TQGetOutFrameBuffer(int32_t* pWidth, int32_t* pHeight, int32_t* pBufferSize) {
    uint32_t size = 0;
    int w = 0;
    int h = 0;
    if (!ok(TQ_GetFrameBuffer(&size, &buffer_, &w, &h, device()))) {
        fail("Get Frame Buffer Fail!", -14);
        return 0;
    }
    if (w == 0 || h == 0) {
        fail("Get Width Height Fail!", -14);
        return 0;
    }
    put(pWidth, w);
    put(pHeight, h);
    put(pBufferSize, static_cast<int>(size));
    return reinterpret_cast<uintptr_t>(buffer_);
}

int32_t OstrelCtl::TQOpenDevList() {
    const int previous = deviceIndex_;
    const bool wasRunning = runState_ != kStopped;
    if (wasRunning) {
        if (!ok(TQ_StopCapture(device()))) {
            return fail("Device Stop Fail!", -3);
        }
        runState_ = kStopped;
        freeBuffer();
        deviceIndex_ = -1;
    }
    SelectDeviceDialog dialog(adapterDescriptions(), previous, this);
    if (chooser()) {
        chooser()(dialog);
    } else {
        dialog.exec();
    }
    if (dialog.result() == QDialog::Accepted && dialog.chosenIndex() >= 0) {
        deviceIndex_ = dialog.chosenIndex();
        startedOnZero_ = false;
        return openAndStart(deviceIndex_, true);
    }
    // Cancel: the camera that ran before the dialog runs again.
    if (wasRunning && previous >= 0) {
        if (!ok(TQ_StartCapture(previous))) {
            return fail("Device Start Fail!", -2);
        }
        deviceIndex_ = previous;
        runState_ = kRunning;
    }
    return kSuccess;
}

int32_t OstrelCtl::TQStartCapture() {
    // A suspended control is started too: it resumes with TQSuspendCapture.
    if (runState_ != kStopped) {
        return -1;
    }
    if (!ok(TQ_StartCapture(device()))) {
        return fail("Device Start Fail!", -2);
    }
    runState_ = kRunning;
    return kSuccess;
}

int32_t OstrelCtl::TQStopCapture() {
    if (runState_ == kStopped) {
        return fail("Device already Stopped!", -1);
    }
    if (!ok(TQ_StopCapture(device()))) {
        return fail("Device Stop Fail!", -3);
    }
    freeBuffer();
    runState_ = kStopped;
    return kSuccess;
}

int32_t OstrelCtl::TQShowSnapshotPage() {
    return ok(TQ_ShowSnapshotPage(device())) ? kSuccess : fail("Show Snapshot Page Fail!", -24);
}

int32_t OstrelCtl::TQShowControlPage() {
    return ok(TQ_ShowControlPage(device())) ? kSuccess : fail("Show Control Page Fail!", -24);
}

int32_t OstrelCtl::TQSaveImage(const char* lpFileName) {
    if (lpFileName == nullptr) {
        return kBadArgument;
    }
    uint32_t size = 0;
    int w = 0;
    int h = 0;
    if (!ok(TQ_GetFrameBuffer(&size, &buffer_, &w, &h, device())) || w <= 0 || h <= 0) {
        return fail("Get Frame Buffer Fail!", -14);
    }
    const int bytesPerPixel =
        static_cast<int>(size / (static_cast<uint32_t>(w) * static_cast<uint32_t>(h)));
    if (bytesPerPixel != 1 && bytesPerPixel != 3) {
        return fail("Get Frame Buffer Fail!", -14);
    }
    const auto rows = bmpRows(buffer_, w, h, bytesPerPixel);
    if (!ok(TQ_SaveImg(rows.data(), lpFileName, w, h, static_cast<uint32_t>(rows.size()),
                       device()))) {
        return fail("Save Image Fail!", -6);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSuspendCapture(bool bSuspend) {
    if (runState_ == kStopped) {
        return -26;
    }
    if ((bSuspend && runState_ == kSuspended) || (!bSuspend && runState_ == kRunning)) {
        return -1;
    }
    if (!ok(TQ_SuspendCapture(bSuspend ? 1 : 0, device()))) {
        return fail("Suspend/Resume Capture Fail!", -4);
    }
    runState_ = bSuspend ? kSuspended : kRunning;
    return kSuccess;
}

int32_t OstrelCtl::TQCloseDevice() {
    const int index = device();
    TQ_CloseDevice(index);
    setOpenedByControl(index, false);
    // Closing stops the device's threads.
    runState_ = kStopped;
    freeBuffer();
    return kSuccess;
}

int32_t OstrelCtl::TQGetBlackLevelInfo(TQ_BlackLevelInfo* psBlackLevel) {
    TQ_BlackLevelInfo info{};
    if (!ok(TQ_GetBlackLevelInfo(&info, device()))) {
        return fail("Get BlackLevel Info Error!", -15, false);
    }
    if (psBlackLevel != nullptr) {
        *psBlackLevel = info;
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetBlackLevelInfo(const TQ_BlackLevelInfo* s) {
    if (s == nullptr || !ok(TQ_SetBlackLevelInfo(s->enable, s->autoMode, s->rangeMaximum,
                                                 s->rangeMinimum, s->values, device()))) {
        return fail("Set BlackLevel Info Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetBlackLevelValue(int32_t* pnValue) {
    int values[5] = {};
    if (!ok(TQ_GetBlackLevelValue(values, device()))) {
        return fail("Get BlackLevel Value Error!", -15, false);
    }
    if (pnValue != nullptr) {
        std::memcpy(pnValue, values, sizeof values);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetBlackLevelValue(const int32_t* pnValue) {
    if (pnValue == nullptr || !ok(TQ_SetBlackLevelValue(pnValue, device()))) {
        return fail("Set BlackLevel Value Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetExposureInfo(TQ_ExposureInfo* psExposure) {
    TQ_ExposureInfo info{};
    if (!ok(TQ_GetExposureInfo(&info, device()))) {
        return fail("Get Exposure Info Error!", -15, false);
    }
    if (psExposure != nullptr) {
        *psExposure = info;
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetExposureInfo(const TQ_ExposureInfo* s) {
    if (s == nullptr || !ok(TQ_SetExposureInfo(s->enable, s->autoMode, s->rangeMaximum,
                                               s->rangeMinimum, s->value, device()))) {
        return fail("Set Exposure Info Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetExposureValue(const int32_t* pnValue) {
    if (pnValue == nullptr || !ok(TQ_SetExposureValue(*pnValue, device()))) {
        return fail("Set Exposure Value Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetGainInfo(TQ_GainInfo* psGain) {
    TQ_GainInfo info{};
    if (!ok(TQ_GetGainInfo(&info, device()))) {
        return fail("Get Gain Info Error!", -15, false);
    }
    if (psGain != nullptr) {
        *psGain = info;
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetGainInfo(const TQ_GainInfo* s) {
    if (s == nullptr || !ok(TQ_SetGainInfo(s->enable, s->autoMode, s->rangeMaximum, s->rangeMinimum,
                                           s->values, device()))) {
        return fail("Set Gain Info Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetGainValue(int32_t* pnValue) {
    int values[5] = {};
    if (!ok(TQ_GetGainValue(values, device()))) {
        return fail("Get Gain Value Error!", -15, false);
    }
    if (pnValue != nullptr) {
        std::memcpy(pnValue, values, sizeof values);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQSetGainValue(const int32_t* pnValue) {
    if (pnValue == nullptr || !ok(TQ_SetGainValue(pnValue, device()))) {
        return fail("Set Gain Value Error!", -16, false);
    }
    return kSuccess;
}

int32_t OstrelCtl::TQGetImageGammaState(int32_t* pbGamma) {
    int v = 0;
    if (!ok(TQ_GetImageGammaStat(&v, device()))) {
        return fail("Get Image Gamma State Fail!", -15);
    }
    put(pbGamma, v);
    return kSuccess;
}

int32_t OstrelCtl::TQSetImageGammaState(bool bGamma) {
    return ok(TQ_SetImageGammaStat(bGamma ? 1 : 0, device()))
               ? kSuccess
               : fail("Set Image Gamma State Fail!", -16);
}

int32_t OstrelCtl::TQSetImageMirror(int32_t nMirror) {
    return ok(TQ_SetImageMirror(nMirror, device())) ? kSuccess
                                                    : fail("Set Image Mirror State Fail!", -16);
}

int32_t OstrelCtl::TQSetROI(int32_t nOriginalX, int32_t nOriginalY, int32_t nImgWidth,
                            int32_t nImgHeight) {
    return ok(TQ_SetROI(nOriginalX, nOriginalY, nImgWidth, nImgHeight, device()))
               ? kSuccess
               : fail("Set ROI Fail!", -16);
}

int32_t OstrelCtl::TQSetResolutionMode(int32_t nMode) {
    return ok(TQ_SetResolutionMode(nMode, device())) ? kSuccess
                                                     : fail("Set Resolution Mode Fail!", -16);
}

int32_t OstrelCtl::TQGetDevice(int32_t nDevId) {
    if (!validIndex(nDevId)) {
        return kBadArgument;
    }
    // The device that runs now is the one to stop, before the new index is taken.
    if (runState_ != kStopped) {
        if (!ok(TQ_StopCapture(device()))) {
            return fail("Stop Device Fail!", -3);
        }
        runState_ = kStopped;
        freeBuffer();
    }
    deviceIndex_ = nDevId;
    startedOnZero_ = false;
    return openAndStart(nDevId, false);
}

int32_t OstrelCtl::TQGetMaxResolution(int32_t* pnMaxWidth, int32_t* pnMaxHeight) {
    int w = 0;
    int h = 0;
    if (!ok(TQ_GetMaxResolution(&w, &h, device()))) {
        return fail("Get Max Resolution Fail!", -15);
    }
    put(pnMaxWidth, w);
    put(pnMaxHeight, h);
    return kSuccess;
}

int32_t OstrelCtl::TQGetImageMirror(int32_t* pnMirror) {
    int v = 0;
    if (!ok(TQ_GetImageMirror(&v, device()))) {
        return fail("Get Image Mirror State Fail!", -15);
    }
    put(pnMirror, v);
    return kSuccess;
}

int32_t OstrelCtl::TQGetImageColorStat(int32_t* pnColorState) {
    int v = 0;
    if (!ok(TQ_GetImageColorStat(&v, device()))) {
        return fail("Get Image Color State Fail!", -15);
    }
    put(pnColorState, v != 0 ? 1 : 0);
    return kSuccess;
}

int32_t OstrelCtl::TQSetNoDispInCallback(bool bNoDisp) {
    if (!validIndex(device())) {
        return kBadArgument;
    }
    setNoDisplay(device(), bNoDisp);
    return kSuccess;
}

int32_t OstrelCtl::TQGetExposureValue(int32_t* pnValue) {
    int v = 0;
    if (!ok(TQ_GetExposureValue(&v, device()))) {
        return fail("Get Exposure Value Error!", -15, false);
    }
    put(pnValue, v);
    return kSuccess;
}

int32_t OstrelCtl::TQAllocation(int32_t nWidth, int32_t nHeight) {
    // The largest sensor is 3664 x 2748: anything beyond is no image size.
    constexpr int32_t kLargestSide = 16384;
    if (nWidth <= 0 || nHeight <= 0 || nWidth > kLargestSide || nHeight > kLargestSide) {
        return kBadArgument;
    }
    int channels = 0;
    if (!ok(TQ_GetImageChannel(&channels, device())) || channels <= 0) {
        return fail("Getting Image Channels Fail!", -15);
    }
    freeBuffer();
    buffer_ = static_cast<unsigned char*>(
        std::malloc(static_cast<size_t>(nWidth) * static_cast<size_t>(channels) *
                    static_cast<size_t>(nHeight)));
    return kSuccess;
}

int32_t OstrelCtl::TQSetSnapExpTime(int32_t lExpTime) {
    return ok(TQ_SetSnapExpTime(lExpTime, device())) ? kSuccess
                                                     : fail("Set Snap Exposure Time Fail!", -16);
}

void OstrelCtl::AboutBox() {
    showMessage({"OstrelCtl Control, Version 1.1.2", "About OstrelCtl Control", BoxIcon::About},
                this);
}

void OstrelCtl::takeFrame(const TQ_FrameInfo& frame) {
    const int w = static_cast<int>(frame.width);
    const int h = static_cast<int>(frame.height);
    const int bpp = static_cast<int>(frame.bytesPerPixel);
    if (frame.image == nullptr || w <= 0 || h <= 0 || (bpp != 1 && bpp != 3)) {
        return;
    }
    const size_t row = static_cast<size_t>(w) * static_cast<size_t>(bpp);
    {
        std::lock_guard lock(incomingLock_);
        incoming_.resize(row * static_cast<size_t>(h));
        if (bpp == 3) {
            // Colour rows come bottom-up: they are turned while copied.
            for (int r = 0; r < h; ++r) {
                std::memcpy(incoming_.data() + row * static_cast<size_t>(h - 1 - r),
                            frame.image + row * static_cast<size_t>(r), row);
            }
        } else {
            std::memcpy(incoming_.data(), frame.image, incoming_.size());
        }
        incomingWidth_ = w;
        incomingHeight_ = h;
        incomingBytesPerPixel_ = bpp;
        if (updatePending_) {
            return;  // the window has not taken the last one yet: it takes this one
        }
        updatePending_ = true;
    }
    QMetaObject::invokeMethod(
        this, [this] { showIncoming(); }, Qt::QueuedConnection);
}

void OstrelCtl::showIncoming() {
    int w = 0;
    int h = 0;
    int bpp = 0;
    {
        std::lock_guard lock(incomingLock_);
        std::swap(incoming_, shown_);
        w = incomingWidth_;
        h = incomingHeight_;
        bpp = incomingBytesPerPixel_;
        updatePending_ = false;
    }
    const bool newSize = image_.isNull() || image_.width() != w || image_.height() != h;
    if (bpp == 1) {
        image_ = QImage(shown_.data(), w, h, w, QImage::Format_Indexed8);
        image_.setColorTable(greyPalette());
    } else {
        image_ = QImage(shown_.data(), w, h, 3 * w, QImage::Format_BGR888);
    }
    ++imagesShown_;
    if (newSize) {
        updateScrollArea();
    }
    viewport()->update();
}

void OstrelCtl::updateScrollArea() {
    const QSize area = viewport()->size();
    const int w = image_.isNull() ? 0 : image_.width();
    const int h = image_.isNull() ? 0 : image_.height();
    horizontalScrollBar()->setRange(0, std::max(0, w - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    verticalScrollBar()->setRange(0, std::max(0, h - area.height()));
    verticalScrollBar()->setPageStep(area.height());
}

void OstrelCtl::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollArea();
}

void OstrelCtl::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    const QRect area = viewport()->rect();
    painter.fillRect(area, Qt::white);
    if (image_.isNull()) {
        painter.setPen(Qt::black);
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        return;
    }
    painter.drawImage(QPoint(-horizontalScrollBar()->value(), -verticalScrollBar()->value()),
                      image_);
}

}  // namespace ostrelctl
