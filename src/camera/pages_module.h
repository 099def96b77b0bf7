// What the driver hands its page module (ostrel-pages) when a page is shown.
//
// The module is loaded on demand, so the driver itself needs no GUI library.
// It reaches the driver only through this table: the exports the pages drive,
// and the few driver operations a page needs that no export offers (single
// register access, the register display, the default register set). Every
// call takes the device index last, like the exports, and answers a status
// code of ostrel.h.
#pragma once

#include <cstdint>

#include "camera/ostrel.h"

namespace ostrel::pages {

inline constexpr int kInterfaceVersion = 1;

// The module's entry point, looked up by this name.
inline constexpr const char* kEntryName = "ostrel_pages_show";
// Default file name of the module, beside the driver library.
inline constexpr const char* kModuleFileName = "libostrel-pages.so";

enum class Page : int {
    Registers = 0,        // "Read / Write"
    ControlSnapshot = 1,  // "Control & Snapshot"
};

// How the camera's sensor registers are addressed on the register page.
enum class RegisterForm : int {
    SingleEntry = 0,  // one entry per 8-bit register number
    ByteWide = 1,     // 16-bit address, a byte in each of two entries
    WideAddress = 2,  // 16-bit address form of the K3 models
};

struct PageDriver {
    int version = kInterfaceVersion;

    // Exports.
    decltype(&TQ_GetMaxResolution) getMaxResolution = nullptr;
    decltype(&TQ_GetResolution) getResolution = nullptr;
    decltype(&TQ_SetResolution) setResolution = nullptr;
    decltype(&TQ_GetImageMirror) getImageMirror = nullptr;
    decltype(&TQ_SetImageMirror) setImageMirror = nullptr;
    decltype(&TQ_GetImageColorStat) getImageColorStat = nullptr;
    decltype(&TQ_SetImageColorStat) setImageColorStat = nullptr;
    decltype(&TQ_GetImageGammaStat) getImageGammaStat = nullptr;
    decltype(&TQ_SetImageGammaStat) setImageGammaStat = nullptr;
    decltype(&TQ_GetBlackLevelInfo) getBlackLevelInfo = nullptr;
    decltype(&TQ_SetBlackLevelEnable) setBlackLevelEnable = nullptr;
    decltype(&TQ_SetBlackLevelAuto) setBlackLevelAuto = nullptr;
    decltype(&TQ_SetBlackLevelValue) setBlackLevelValue = nullptr;
    decltype(&TQ_GetGainInfo) getGainInfo = nullptr;
    decltype(&TQ_SetGainValue) setGainValue = nullptr;
    decltype(&TQ_GetExposureInfo) getExposureInfo = nullptr;
    decltype(&TQ_SetExposureValue) setExposureValue = nullptr;
    decltype(&TQ_GetSnapInfo) getSnapInfo = nullptr;
    decltype(&TQ_GetSnapExpTimeRange) getSnapExpTimeRange = nullptr;
    decltype(&TQ_SetSnapExpTime) setSnapExpTime = nullptr;
    decltype(&TQ_SetSnapDebounceTime) setSnapDebounceTime = nullptr;
    decltype(&TQ_SetSnapTrigFreqImgCount) setSnapTrigFreqImgCount = nullptr;
    decltype(&TQ_SetSnapIOMode) setSnapIOMode = nullptr;
    decltype(&TQ_SetPreviewSnapMode) setPreviewSnapMode = nullptr;
    decltype(&TQ_SnapSWTrigger) snapSWTrigger = nullptr;
    decltype(&TQ_SaveParaToIniFile) saveParaToIniFile = nullptr;

    // Driver operations without an export.
    int (*modelCode)(int device) = nullptr;
    // Seconds per sensor row; not above 0 when the sensor's row time is unknown.
    double (*rowTimeSeconds)(int device) = nullptr;
    RegisterForm (*registerForm)(int device) = nullptr;
    // Sends a read of one sensor register. On a byte-wide sensor whose
    // receive thread runs, the reply comes through that thread (see
    // takeRegisterReply) and *answered is 0. Otherwise the call waits for the
    // reply itself (a streaming device pauses for it): *answered is 1 and
    // *value holds it, or the call answers TQ_E_NO_REPLY.
    uint32_t (*readRegister)(uint32_t address, uint32_t* value, int* answered,
                             int device) = nullptr;
    uint32_t (*writeRegister)(uint32_t address, uint32_t value, int device) = nullptr;
    // The register display flag: while it is 1 the receive thread keeps each
    // sensor register reply for the register page.
    void (*setRegisterDisplay)(int on, int device) = nullptr;
    // 1 and the value when a reply came through the receive thread since the
    // last call, else 0.
    int (*takeRegisterReply)(uint32_t* value, int device) = nullptr;
    uint32_t (*writeController)(uint32_t address, uint32_t value, int device) = nullptr;
    // The "Default" action: suspends capture, programs the sensor's default
    // register set (the largest image), waits 100 ms, refreshes the register
    // mirror, rebuilds the stream buffers, restarts the threads of a
    // capturing device and resumes. TQ_E_DEVICE_NOT_FOUND for a sensor
    // without a default set.
    uint32_t (*restoreDefaults)(int device) = nullptr;
};

// The module's entry: shows the page of the device. TQ_E_FAILED when no page
// can be shown here (no display, a thread that cannot own windows).
using ShowPageFunction = uint32_t (*)(const PageDriver* driver, int page, int device);

}  // namespace ostrel::pages
