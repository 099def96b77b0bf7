// The exposure family: enable, automatic, range, value and info.
#include <algorithm>
#include <cmath>

#include "camera/export_support.h"
#include "camera/register_access.h"
#include "camera/sensor_timing.h"

using namespace ostrel;

extern "C" {

OSTREL_API uint32_t TQ_SetExposureEnable(int enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->exposure.enable = enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetExposureEnable(int* enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (enable == nullptr) {
            return TQ_E_FAILED;
        }
        *enable = d->exposure.enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetExposureAuto(int autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->exposure.autoMode = autoMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetExposureAuto(int* autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (autoMode == nullptr) {
            return TQ_E_FAILED;
        }
        *autoMode = d->exposure.autoMode;
        return TQ_SUCCESS;
    });
}

// The bounds given are not used: the range is always the sensor's own.
OSTREL_API uint32_t TQ_SetExposureRange(int /*maximum*/, int /*minimum*/, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto range = sensorExposureRange(*d);
        if (!range) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->exposure.rangeMax = range->maximum;
        d->exposure.rangeMin = range->minimum;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetExposureRange(int* maximum, int* minimum, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (maximum == nullptr || minimum == nullptr) {
            return TQ_E_FAILED;
        }
        *maximum = d->exposure.rangeMax;
        *minimum = d->exposure.rangeMin;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetExposureValue(int value, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        ExposureSettings& e = d->exposure;
        value =
            std::clamp(value, std::min(e.rangeMin, e.rangeMax), std::max(e.rangeMin, e.rangeMax));
        const auto v = static_cast<uint32_t>(std::max(value, 0));
        switch (d->sensorId) {
            case kSensor8431:
                writeSensor(*d, reg::kShutterLow, static_cast<uint16_t>(v));
                break;
            case kSensor1621: {
                writeSensor(*d, reg::kShutterHigh, static_cast<uint16_t>(v / 65536));
                writeSensor(*d, reg::kShutterLow, static_cast<uint16_t>(v % 65536));
                // The controller times the exposure of rows beyond the image itself.
                const double us =
                    (static_cast<double>(value) - d->height) * rowTimeSeconds(*d) * 1e6;
                sendCommandValue(*d, wire::kExposureTiming,
                                 us < 1.0 ? 0u : static_cast<uint32_t>(us));
                break;
            }
            case kSensor1801:
                writeSensor(*d, reg::kShutterHigh, static_cast<uint16_t>(v / 65536));
                writeSensor(*d, reg::kShutterLow, static_cast<uint16_t>(v % 65536));
                break;
            case kSensor1313:
            case kSensor1324:
                writeSensor(*d, reg::kK1Control, 0);
                writeSensor(*d, reg::kShutterLow, static_cast<uint16_t>(v));
                break;
            case kSensor2C01:
                byteWideAccess(*d, 0x0342, static_cast<uint16_t>(d->lineLength), true);
                byteWideAccess(*d, 0x0202, static_cast<uint16_t>(v), true);
                d->mirror.reg[reg::kShutterLow] = static_cast<uint16_t>(v);
                break;
            default:
                if (isK3(d->model)) {
                    const double rowLength =
                        ((((d->width / 8) * 8 + 24) / 33 + 4.65) * d->height + 51.36) / 10.0;
                    wideAddressAccess(*d, 200, static_cast<uint16_t>(rowLength), true);
                    wideAddressAccess(
                        *d, 201, static_cast<uint16_t>(std::clamp<uint32_t>(v, 1, 65535)), true);
                    d->mirror.reg[reg::kShutterLow] = static_cast<uint16_t>(v);
                }
                break;
        }
        e.value = value;
        e.lastWritten = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetExposureValue(int* value, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (value == nullptr) {
            return TQ_E_FAILED;
        }
        const auto& r = d->mirror.reg;
        if (d->sensorId == kSensor1621 || d->sensorId == kSensor1801) {
            d->exposure.value = (r[reg::kShutterHigh] & 0x0F) * 65536 + r[reg::kShutterLow];
        } else {
            d->exposure.value = r[reg::kShutterLow];
        }
        *value = d->exposure.value;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetExposureInfo(int enable, int autoMode, int maximum, int minimum,
                                       int value, int device) {
    return guarded([&]() -> uint32_t {
        return TQ_SetExposureEnable(enable, device) | TQ_SetExposureAuto(autoMode, device) |
               TQ_SetExposureRange(maximum, minimum, device) | TQ_SetExposureValue(value, device);
    });
}

OSTREL_API uint32_t TQ_GetExposureInfo(TQ_ExposureInfo* info, int device) {
    return guarded([&]() -> uint32_t {
        if (info == nullptr) {
            return TQ_E_FAILED;
        }
        int enable = 0;
        int autoMode = 0;
        int maximum = 0;
        int minimum = 0;
        int value = 0;
        bool ok = TQ_GetExposureEnable(&enable, device) == TQ_SUCCESS;
        if (ok) {
            info->enable = enable;
        }
        ok = ok && TQ_GetExposureAuto(&autoMode, device) == TQ_SUCCESS;
        if (ok) {
            info->autoMode = autoMode;
        }
        ok = ok && TQ_GetExposureRange(&maximum, &minimum, device) == TQ_SUCCESS;
        if (ok) {
            info->rangeMaximum = maximum;
            info->rangeMinimum = minimum;
        }
        ok = ok && TQ_GetExposureValue(&value, device) == TQ_SUCCESS;
        if (ok) {
            info->value = value;
        }
        return TQ_SUCCESS;
    });
}

}  // extern "C"
