// Settings file and the library's own pages.
//
// The settings file is saved and loaded by the procedures of
// settings_procedures.h; the load remembers its folder for the next save.
// The pages are not there yet, and their calls answer success.
#include "camera/export_support.h"
#include "camera/settings_procedures.h"
#include "camera/stream.h"

using namespace ostrel;

extern "C" {

// A file that cannot be written is reported (the old one stays as it was).
OSTREL_API uint32_t TQ_SaveParaToIniFile(int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || d->model.empty()) {
            return TQ_SUCCESS;  // no camera was ever named on this index
        }
        return saveSettingsFile(*d, device) ? TQ_SUCCESS : TQ_E_FAILED;
    });
}

OSTREL_API uint32_t TQ_IniCamFromIniFile(int device, const char* settingsFolder) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_SUCCESS;
        }
        d->settingsFolder = settingsFolder != nullptr ? settingsFolder : "";
        if (d->open.load() == 0) {
            return TQ_SUCCESS;  // nothing to apply the file to
        }
        // The load waits for register replies: not beside the receive thread.
        StreamPause pause(*d, device);
        loadSettingsFile(*d, device);
        return TQ_SUCCESS;
    });
}

}  // extern "C"
