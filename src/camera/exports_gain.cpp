// The gain family: five gains, global, G1, G2, R, B.
#include <array>

#include "camera/export_support.h"
#include "camera/register_access.h"

using namespace ostrel;

namespace {

constexpr std::array<uint8_t, 5> kGainRegisters = {reg::kGlobalGain, reg::kGainG1, reg::kGainG2,
                                                   reg::kGainR, reg::kGainB};
// Byte-wide gain registers of sensor 0x2C01 in the same order.
constexpr std::array<uint16_t, 5> kGainRegisters2C01 = {0x305E, 0x3056, 0x305C, 0x305A, 0x3058};
// Controller register that takes the four colour gains of a K3C.
constexpr uint16_t kK3ColourGainRegister = 0x5A20;
constexpr uint16_t kK3GlobalGainAddress = 204;

// A gain outside the sensor's steps keeps the register value it had.
uint16_t encode8431(int g, uint16_t old) {
    if (g >= 1 && g <= 4) {
        return static_cast<uint16_t>(8 * g);
    }
    if (g >= 5 && g <= 8) {
        return static_cast<uint16_t>((4 * g) | 0x40);
    }
    if (g >= 9 && g <= 15) {
        return static_cast<uint16_t>((g - 8) | 0x60);
    }
    return old;
}

uint16_t encode16xx(int g, uint16_t old) {
    if (g >= 8 && g <= 32) {
        return static_cast<uint16_t>(g);
    }
    if (g >= 33 && g <= 48) {
        return static_cast<uint16_t>(g | 0x40);
    }
    if (g >= 49 && g <= 128) {
        return static_cast<uint16_t>(((g - 8) * 256) | 0x60);
    }
    return old;
}

uint16_t encode2C01(int g, uint16_t old) {
    if (g == 1) {
        return static_cast<uint16_t>((64 * g) | 0x1040);
    }
    if (g >= 2 && g <= 3) {
        return static_cast<uint16_t>((64 * g / 2) | 0x1840);
    }
    if (g >= 4 && g <= 7) {
        return static_cast<uint16_t>((64 * g / 4) | 0x1C40);
    }
    if (g >= 8 && g <= 15) {
        return static_cast<uint16_t>((64 * g / 8) | 0x1CC0);
    }
    if (g >= 16 && g <= 31) {
        return static_cast<uint16_t>((64 * g / 16) | 0x1DC0);
    }
    return old;
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_SetGainEnable(int enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->gain.enable = enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetGainEnable(int* enable, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (enable == nullptr) {
            return TQ_E_FAILED;
        }
        *enable = d->gain.enable;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetGainAuto(int autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->gain.autoMode = autoMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetGainAuto(int* autoMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (autoMode == nullptr) {
            return TQ_E_FAILED;
        }
        *autoMode = d->gain.autoMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetGainRange(int maximum, int minimum, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->gain.rangeMax = maximum;
        d->gain.rangeMin = minimum;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetGainRange(int* maximum, int* minimum, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (maximum == nullptr || minimum == nullptr) {
            return TQ_E_FAILED;
        }
        *maximum = d->gain.rangeMax;
        *minimum = d->gain.rangeMin;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetGainValue(const int* gains, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (gains == nullptr) {
            return TQ_E_PARAMETER;
        }
        if (d->model != "K3C") {
            for (int i = 0; i < 5; ++i) {
                if (gains[i] < d->gain.rangeMin || gains[i] > d->gain.rangeMax) {
                    return TQ_E_PARAMETER;
                }
            }
        }
        for (size_t i = 0; i < 5; ++i) {
            d->gain.values[i] = gains[i];
        }
        if (isStandard(*d)) {
            std::array<uint16_t, 5> values{};
            for (size_t i = 0; i < 5; ++i) {
                const uint16_t old = d->mirror.reg[kGainRegisters[i]];
                values[i] = d->sensorId == kSensor8431 ? encode8431(gains[i], old)
                                                       : encode16xx(gains[i], old);
            }
            sendSensorEntries(*d, kGainRegisters, values, true);
        } else if (isK3(d->model)) {
            wideAddressAccess(*d, kK3GlobalGainAddress, static_cast<uint16_t>(gains[0]), true);
            if (d->model == "K3C") {
                const std::array<uint32_t, 4> colour = {
                    static_cast<uint32_t>(gains[1]), static_cast<uint32_t>(gains[2]),
                    static_cast<uint32_t>(gains[3]), static_cast<uint32_t>(gains[4])};
                writeController(*d, kK3ColourGainRegister, colour);
            }
        } else if (isK1Sensor(d->sensorId)) {
            writeSensor(*d, reg::kK1Control, 0);
            writeSensor(*d, reg::kGlobalGain, static_cast<uint16_t>(gains[0]));
        } else if (d->sensorId == kSensor2C01) {
            for (size_t i = 0; i < 5; ++i) {
                const uint16_t a = kGainRegisters2C01[i];
                byteWideAccess(*d, a, encode2C01(gains[i], d->mirror.wideValue(a)), true);
                sleepMs(10);
            }
        }
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetGainValue(int* gains, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (gains == nullptr) {
            return TQ_E_FAILED;
        }
        for (size_t i = 0; i < 5; ++i) {
            gains[i] = d->gain.values[i];
        }
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetGainInfo(int enable, int autoMode, int maximum, int minimum,
                                   const int* gains, int device) {
    return guarded([&]() -> uint32_t {
        return TQ_SetGainEnable(enable, device) | TQ_SetGainAuto(autoMode, device) |
               TQ_SetGainRange(maximum, minimum, device) | TQ_SetGainValue(gains, device);
    });
}

OSTREL_API uint32_t TQ_GetGainInfo(TQ_GainInfo* info, int device) {
    return guarded([&]() -> uint32_t {
        if (info == nullptr) {
            return TQ_E_FAILED;
        }
        int enable = 0;
        int autoMode = 0;
        int maximum = 0;
        int minimum = 0;
        int values[5] = {};
        bool ok = TQ_GetGainEnable(&enable, device) == TQ_SUCCESS;
        if (ok) {
            info->enable = enable;
        }
        ok = ok && TQ_GetGainAuto(&autoMode, device) == TQ_SUCCESS;
        if (ok) {
            info->autoMode = autoMode;
        }
        ok = ok && TQ_GetGainRange(&maximum, &minimum, device) == TQ_SUCCESS;
        if (ok) {
            info->rangeMaximum = maximum;
            info->rangeMinimum = minimum;
        }
        ok = ok && TQ_GetGainValue(values, device) == TQ_SUCCESS;
        if (ok) {
            for (int i = 0; i < 5; ++i) {
                info->values[i] = values[i];
            }
        }
        return TQ_SUCCESS;
    });
}

}  // extern "C"
