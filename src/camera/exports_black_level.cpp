// The black-level family: calibration and the four offsets G1, G2, R, B.
#include <array>

#include "camera/export_support.h"
#include "camera/register_access.h"

using namespace ostrel;

namespace {

// Bits of the black-level control register (a set bit switches off).
constexpr uint16_t kManualBit = 0x0001;
constexpr uint16_t kDisableBit = 0x0002;
constexpr uint16_t kK1DisableBit = 0x0001;
constexpr uint16_t k2C01DisableBit = 0x0008;
constexpr uint16_t k2C01Control = 0x301A;
constexpr uint16_t k2C01Pedestal = 0x301E;

uint16_t withBit(uint16_t value, uint16_t bit, bool set) {
    return static_cast<uint16_t>(set ? value | bit : value & ~bit);
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_SetBlackLevelEnable(int enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (d->sensorId == kSensor1801) {
            d->blackLevel.enable = 1;
            return TQ_E_NOT_ADJUSTABLE;
        }
        const uint16_t control = d->mirror.reg[reg::kBlackLevelControl];
        if (d->sensorId == kSensor1621 || d->sensorId == kSensor8431) {
            writeSensor(*d, reg::kBlackLevelControl, withBit(control, kDisableBit, enable == 0));
        } else if (isK1Sensor(d->sensorId)) {
            writeSensor(*d, reg::kBlackLevelControl, withBit(control, kK1DisableBit, enable == 0));
        } else if (d->sensorId == kSensor2C01) {
            byteWideAccess(*d, k2C01Control,
                           withBit(d->mirror.wideValue(k2C01Control), k2C01DisableBit, enable == 0),
                           true);
        }
        d->blackLevel.enable = enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetBlackLevelEnable(int* enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (enable == nullptr) {
            return TQ_E_FAILED;
        }
        *enable = d->blackLevel.enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetBlackLevelAuto(int autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (d->sensorId == kSensor1801) {
            return TQ_E_NOT_ADJUSTABLE;
        }
        if (d->sensorId == kSensor1621 || d->sensorId == kSensor8431) {
            writeSensor(*d, reg::kBlackLevelControl,
                        withBit(d->mirror.reg[reg::kBlackLevelControl], kManualBit, autoMode == 0));
        }
        d->blackLevel.autoMode = autoMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetBlackLevelAuto(int* autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (autoMode == nullptr) {
            return TQ_E_FAILED;
        }
        *autoMode = d->blackLevel.autoMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetBlackLevelRange(int maximum, int minimum, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->blackLevel.rangeMax = maximum;
        d->blackLevel.rangeMin = minimum;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetBlackLevelRange(int* maximum, int* minimum, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (maximum == nullptr || minimum == nullptr) {
            return TQ_E_FAILED;
        }
        *maximum = d->blackLevel.rangeMax;
        *minimum = d->blackLevel.rangeMin;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetBlackLevelValue(const int* values, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (d->sensorId == kSensor1801) {
            return TQ_E_NOT_ADJUSTABLE;
        }
        if (values == nullptr) {
            return TQ_E_PARAMETER;
        }
        for (int i = 0; i < 5; ++i) {
            if (values[i] < d->blackLevel.rangeMin || values[i] > d->blackLevel.rangeMax) {
                return TQ_E_PARAMETER;
            }
        }
        for (size_t i = 0; i < 5; ++i) {
            d->blackLevel.values[i] = values[i];
        }
        if (isStandard(*d) || isK1Sensor(d->sensorId)) {
            static constexpr std::array<uint8_t, 4> kOffsets = {
                reg::kBlackLevelG1, reg::kBlackLevelG2, reg::kBlackLevelR, reg::kBlackLevelB};
            for (size_t i = 0; i < 4; ++i) {
                writeSensor(*d, kOffsets[i], static_cast<uint16_t>(values[i + 1]));
            }
        } else if (d->sensorId == kSensor2C01) {
            byteWideAccess(*d, k2C01Control, d->mirror.wideValue(k2C01Control), true);
            byteWideAccess(*d, k2C01Pedestal, static_cast<uint16_t>(values[1]), true);
        }
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetBlackLevelValue(int* values, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (values == nullptr) {
            return TQ_E_FAILED;
        }
        for (size_t i = 0; i < 5; ++i) {
            values[i] = d->blackLevel.values[i];
        }
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetBlackLevelInfo(int enable, int autoMode, int maximum, int minimum,
                                         const int* values, int device) {
    return guarded([&]() -> uint32_t {
        return TQ_SetBlackLevelEnable(enable, device) | TQ_SetBlackLevelAuto(autoMode, device) |
               TQ_SetBlackLevelRange(maximum, minimum, device) |
               TQ_SetBlackLevelValue(values, device);
    });
}

OSTREL_API uint32_t TQ_GetBlackLevelInfo(TQ_BlackLevelInfo* info, int device) {
    return guarded([&]() -> uint32_t {
        if (info == nullptr) {
            return TQ_E_FAILED;
        }
        int enable = 0;
        int autoMode = 0;
        int maximum = 0;
        int minimum = 0;
        int values[5] = {};
        bool ok = TQ_GetBlackLevelEnable(&enable, device) == TQ_SUCCESS;
        if (ok) {
            info->enable = enable;
        }
        ok = ok && TQ_GetBlackLevelAuto(&autoMode, device) == TQ_SUCCESS;
        if (ok) {
            info->autoMode = autoMode;
        }
        ok = ok && TQ_GetBlackLevelRange(&maximum, &minimum, device) == TQ_SUCCESS;
        if (ok) {
            info->rangeMaximum = maximum;
            info->rangeMinimum = minimum;
        }
        ok = ok && TQ_GetBlackLevelValue(values, device) == TQ_SUCCESS;
        if (ok) {
            for (int i = 0; i < 5; ++i) {
                info->values[i] = values[i];
            }
        }
        return TQ_SUCCESS;
    });
}

}  // extern "C"
