// The library's own pages: the TQ_Show... exports load the page module on
// first use and hand it the driver's table of calls.
//
// The driver itself links no GUI library: the module (with Qt) is opened with
// dlopen only when a page is asked for, so a program without a display, or
// without Qt installed, gets a failure code from these exports and nothing
// else changes for it.
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "camera/camera_types.h"
#include "camera/default_registers.h"
#include "camera/export_support.h"
#include "camera/message_box.h"
#include "camera/pages_module.h"
#include "camera/register_access.h"
#include "camera/sensor_timing.h"
#include "camera/stream.h"

using namespace ostrel;

namespace {

// No sensor register value is this wide: the register page's "nothing came yet".
constexpr uint32_t kNoRegisterReply = 0xFFFFFFFFu;
constexpr const char* kModuleVariable = "OSTREL_PAGES_MODULE";

Device* openDevice(int device) {
    Device* d = deviceAt(device);
    return d != nullptr && d->open.load() != 0 ? d : nullptr;
}

bool byteWide(const Device& d) {
    return isK4C(d.model) || d.sensorId == kSensor2C01;
}

// The receive thread reads the device's frames now, so a reply goes to it.
bool receiverReads(const Device& d) {
    return d.capturing.load() != 0 && !d.stream.receiverEnded.load() &&
           !d.stream.suspended.load() && d.stream.receiver.joinable();
}

int sendRegisterAccess(Device& d, uint32_t address, uint32_t value, bool write) {
    if (isK3(d.model)) {
        return wideAddressAccess(d, static_cast<uint16_t>(address), static_cast<uint16_t>(value),
                                 write);
    }
    if (byteWide(d)) {
        return byteWideAccess(d, static_cast<uint16_t>(address), static_cast<uint16_t>(value),
                              write);
    }
    return sensorAccess(d, static_cast<uint8_t>(address), static_cast<uint16_t>(value), write);
}

int pageModelCode(int device) {
    const Device* d = openDevice(device);
    return d != nullptr ? d->modelCode : 0;
}

double pageRowTime(int device) {
    const Device* d = openDevice(device);
    return d != nullptr ? rowTimeSeconds(*d) : -1.0;
}

pages::RegisterForm pageRegisterForm(int device) {
    const Device* d = openDevice(device);
    if (d != nullptr && isK3(d->model)) {
        return pages::RegisterForm::WideAddress;
    }
    if (d != nullptr && byteWide(*d)) {
        return pages::RegisterForm::ByteWide;
    }
    return pages::RegisterForm::SingleEntry;
}

// Sends the read and waits for its reply on the caller's thread; nobody else
// may read the device's frames meanwhile.
uint32_t readRegisterNow(Device& d, uint32_t address, uint32_t* value) {
    d.transport->discardWaiting();
    const auto sentAt = SteadyClock::now();
    if (sendRegisterAccess(d, address, 0, false) != 0) {
        return TQ_E_FAILED;
    }
    const bool wide = byteWide(d);
    const auto reply =
        awaitReply(d, wire::FrameKind::SensorReply, wide ? 26 : 22, sentAt, kReplyLimitMs);
    if (!reply) {
        return TQ_E_NO_REPLY;
    }
    const auto v = wide ? wire::byteWideReplyValue(*reply) : wire::sensorReplyValue(*reply, 0);
    if (!v) {
        return TQ_E_NO_REPLY;
    }
    *value = *v;
    return TQ_SUCCESS;
}

uint32_t pageReadRegister(uint32_t address, uint32_t* value, int* answered, int device) {
    Device* d = openDevice(device);
    if (d == nullptr || value == nullptr || answered == nullptr || !d->transport) {
        return TQ_E_DEVICE_NOT_OPEN;
    }
    *answered = 0;
    if (receiverReads(*d) && byteWide(*d)) {
        d->stream.registerReplyValue = kNoRegisterReply;
        return sendRegisterAccess(*d, address, 0, false) == 0 ? TQ_SUCCESS : TQ_E_FAILED;
    }
    // The receive thread reads a reply in the byte-wide layout only: the
    // other forms would show a wrong value or none. For them a streaming
    // device pauses for the read.
    uint32_t status = TQ_E_FAILED;
    if (receiverReads(*d)) {
        StreamPause pause(*d, device);
        status = readRegisterNow(*d, address, value);
    } else {
        status = readRegisterNow(*d, address, value);
    }
    *answered = status == TQ_SUCCESS ? 1 : 0;
    return status;
}

uint32_t pageWriteRegister(uint32_t address, uint32_t value, int device) {
    Device* d = openDevice(device);
    if (d == nullptr) {
        return TQ_E_DEVICE_NOT_OPEN;
    }
    return sendRegisterAccess(*d, address, value, true) == 0 ? TQ_SUCCESS : TQ_E_FAILED;
}

void pageSetRegisterDisplay(int on, int device) {
    if (Device* d = deviceAt(device)) {
        d->stream.registerReplyValue = kNoRegisterReply;
        d->registerDisplay = on != 0 ? 1 : 0;
    }
}

int pageTakeRegisterReply(uint32_t* value, int device) {
    Device* d = deviceAt(device);
    if (d == nullptr || value == nullptr) {
        return 0;
    }
    const uint32_t v = d->stream.registerReplyValue.exchange(kNoRegisterReply);
    if (v == kNoRegisterReply) {
        return 0;
    }
    *value = v;
    return 1;
}

uint32_t pageWriteController(uint32_t address, uint32_t value, int device) {
    Device* d = openDevice(device);
    if (d == nullptr) {
        return TQ_E_DEVICE_NOT_OPEN;
    }
    return writeController(*d, static_cast<uint16_t>(address), value) == 0 ? TQ_SUCCESS
                                                                           : TQ_E_FAILED;
}

uint32_t pageRestoreDefaults(int device) {
    Device* d = openDevice(device);
    if (d == nullptr) {
        return TQ_E_DEVICE_NOT_OPEN;
    }
    if (!isStandardSensor(d->sensorId)) {
        return TQ_E_DEVICE_NOT_FOUND;
    }
    const bool wasCapturing = d->capturing.load() != 0;
    TQ_SuspendCapture(1, device);
    // Stops the threads, sends the set and, once it is sent, releases the
    // buffers and takes the largest image.
    uint32_t result = programDefaultRegisters(*d, device);
    if (result == TQ_SUCCESS) {
        sleepMs(100);
        refreshRegisterMirror(*d);
        result = buildStreamBuffers(*d);
    }
    if (wasCapturing && startStreamThreads(*d, device)) {
        d->capturing = 1;
    }
    TQ_SuspendCapture(0, device);
    return result;
}

const pages::PageDriver& pageDriver() {
    static const pages::PageDriver table = [] {
        pages::PageDriver t;
        t.getMaxResolution = &TQ_GetMaxResolution;
        t.getResolution = &TQ_GetResolution;
        t.setResolution = &TQ_SetResolution;
        t.getImageMirror = &TQ_GetImageMirror;
        t.setImageMirror = &TQ_SetImageMirror;
        t.getImageColorStat = &TQ_GetImageColorStat;
        t.setImageColorStat = &TQ_SetImageColorStat;
        t.getImageGammaStat = &TQ_GetImageGammaStat;
        t.setImageGammaStat = &TQ_SetImageGammaStat;
        t.getBlackLevelInfo = &TQ_GetBlackLevelInfo;
        t.setBlackLevelEnable = &TQ_SetBlackLevelEnable;
        t.setBlackLevelAuto = &TQ_SetBlackLevelAuto;
        t.setBlackLevelValue = &TQ_SetBlackLevelValue;
        t.getGainInfo = &TQ_GetGainInfo;
        t.setGainValue = &TQ_SetGainValue;
        t.getExposureInfo = &TQ_GetExposureInfo;
        t.setExposureValue = &TQ_SetExposureValue;
        t.getSnapInfo = &TQ_GetSnapInfo;
        t.getSnapExpTimeRange = &TQ_GetSnapExpTimeRange;
        t.setSnapExpTime = &TQ_SetSnapExpTime;
        t.setSnapDebounceTime = &TQ_SetSnapDebounceTime;
        t.setSnapTrigFreqImgCount = &TQ_SetSnapTrigFreqImgCount;
        t.setSnapIOMode = &TQ_SetSnapIOMode;
        t.setPreviewSnapMode = &TQ_SetPreviewSnapMode;
        t.snapSWTrigger = &TQ_SnapSWTrigger;
        t.saveParaToIniFile = &TQ_SaveParaToIniFile;
        t.modelCode = &pageModelCode;
        t.rowTimeSeconds = &pageRowTime;
        t.registerForm = &pageRegisterForm;
        t.readRegister = &pageReadRegister;
        t.writeRegister = &pageWriteRegister;
        t.setRegisterDisplay = &pageSetRegisterDisplay;
        t.takeRegisterReply = &pageTakeRegisterReply;
        t.writeController = &pageWriteController;
        t.restoreDefaults = &pageRestoreDefaults;
        return t;
    }();
    return table;
}

// The module beside the library that holds this code (the driver library, or
// a program it is linked into), unless OSTREL_PAGES_MODULE names one.
std::string moduleDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&pageDriver), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::string path = info.dli_fname;
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

pages::ShowPageFunction loadModule() {
    std::string error;
    std::vector<std::string> candidates;
    if (const char* named = std::getenv(kModuleVariable); named != nullptr && *named != '\0') {
        candidates.emplace_back(named);
    } else {
        candidates.push_back(moduleDirectory() + pages::kModuleFileName);
        candidates.emplace_back(pages::kModuleFileName);  // the loader's own search path
    }
    for (const std::string& path : candidates) {
        // Never closed again: a GUI library does not survive being unloaded.
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            if (void* entry = dlsym(handle, pages::kEntryName)) {
                return reinterpret_cast<pages::ShowPageFunction>(entry);
            }
            error = "no entry point in " + path;
        } else if (const char* why = dlerror()) {
            error = why;
        }
    }
    showMessage("The property pages cannot be loaded: " + error, "Error");
    return nullptr;
}

pages::ShowPageFunction pagesModule() {
    static std::once_flag once;
    static pages::ShowPageFunction entry = nullptr;
    std::call_once(once, [] { entry = loadModule(); });
    return entry;
}

uint32_t showPage(pages::Page page, int device) {
    if (openDevice(device) == nullptr) {
        return TQ_E_DEVICE_NOT_OPEN;
    }
    try {
        const pages::ShowPageFunction show = pagesModule();
        if (show == nullptr) {
            return TQ_E_FAILED;
        }
        return show(&pageDriver(), static_cast<int>(page), device);
    } catch (...) {
        return TQ_E_FAILED;
    }
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_ShowControlPage(int device) {
    return showPage(pages::Page::ControlSnapshot, device);
}

OSTREL_API uint32_t TQ_ShowRWPage(int device) {
    return showPage(pages::Page::Registers, device);
}

OSTREL_API uint32_t TQ_ShowSnapshotPage(int device) {
    return showPage(pages::Page::ControlSnapshot, device);
}

}  // extern "C"
