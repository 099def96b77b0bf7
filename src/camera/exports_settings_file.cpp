// Settings file and the library's own pages.
//
// Loading brings up the sensor (its register mirror read back from the
// camera) and remembers the folder; the file itself and the pages are not
// there yet, and these calls answer success.
#include "camera/export_support.h"
#include "camera/register_access.h"

using namespace ostrel;

extern "C" {

OSTREL_API uint32_t TQ_SaveParaToIniFile(int /*device*/) { return TQ_SUCCESS; }

OSTREL_API uint32_t TQ_IniCamFromIniFile(int device, const char* settingsFolder) {
    Device* d = deviceAt(device);
    if (d == nullptr) {
        return TQ_SUCCESS;
    }
    d->settingsFolder = settingsFolder != nullptr ? settingsFolder : "";
    // The K3 and byte-wide sensors start from fixed tables instead.
    if (!isK3(d->model) && d->sensorId != kSensor2C01 && d->open.load() != 0) {
        refreshRegisterMirror(*d);
    }
    return TQ_SUCCESS;
}

}  // extern "C"
