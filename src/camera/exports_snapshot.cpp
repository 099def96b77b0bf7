// Preview and snapshot modes, software trigger, trigger frequency and timing.
#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

#include "camera/export_support.h"
#include "camera/register_access.h"
#include "camera/sensor_timing.h"

namespace ostrel {

std::optional<Bounds> triggerFrequencyRange(const Device& d) {
    const auto maximum = maxTriggerFrequencyOf(d.sensorId, d.model, d.width);
    if (!maximum) {
        return std::nullopt;
    }
    return Bounds{*maximum, 1};
}

}  // namespace ostrel

using namespace ostrel;

namespace {

constexpr int kSnapExposureMax = 2'000'000;
constexpr int kSnapExposureMin = 10;

// The four argument bytes of the preview/snapshot frame, with the I/O modes
// folded into bytes 20 and 21 of the frame.
std::array<uint8_t, 4> modeBytes(int preview, int kind, int inputMode, int outputMode) {
    std::array<uint8_t, 4> b =
        preview ? std::array<uint8_t, 4>{0x80, 0, 0, 0}
                : std::array<uint8_t, 4>{0, 0, 0, static_cast<uint8_t>(kind & 3)};
    if (inputMode == 1) {
        b[2] |= 0x20;
    } else if (inputMode == 0) {
        b[2] &= static_cast<uint8_t>(~0x20);
    }
    if (inputMode == 3) {
        b[2] |= 0x10;
    } else if (inputMode == 2) {
        b[2] &= static_cast<uint8_t>(~0x10);
    }
    if (outputMode == 1) {
        b[3] |= 0x10;
    } else {
        b[3] &= static_cast<uint8_t>(~0x10);
    }
    return b;
}

int sendModeFrame(Device& d, uint8_t code, const std::array<uint8_t, 4>& bytes) {
    if (!hasRecord(d)) {
        return -1;
    }
    return d.transport->send(wire::commandFrame(d.record->hardwareAddress, code, bytes));
}

void adjustReadMode(Device& d, int preview, int kind) {
    if (d.sensorId == kSensor8431) {
        uint16_t r = d.mirror.reg[reg::kReadMode];
        if (preview) {
            r &= static_cast<uint16_t>(~0x0F00);
        } else if (kind == 0) {
            r = static_cast<uint16_t>((r & ~0x0E00) | 0x0100);
        } else if (kind == 1) {
            r = static_cast<uint16_t>((r & ~0x0C00) | 0x0300);
        } else if (kind == 2) {
            r = static_cast<uint16_t>((r & ~0x0800) | 0x0700);
        }
        writeSensor(d, reg::kReadMode, r);
    } else if (d.sensorId == kSensor1621) {
        static constexpr std::array<uint16_t, 3> kSnap = {0xC140, 0xC340, 0xC740};
        const uint16_t r = preview    ? 0xC040
                           : kind < 3 ? kSnap[static_cast<size_t>(kind)]
                                      : d.mirror.reg[reg::kReadMode];
        writeSensor(d, reg::kReadMode, r);
    } else if (d.sensorId == kSensor1801) {
        static constexpr std::array<uint16_t, 4> kSnap = {0x4306, 0x4316, 0x4316, 0x4396};
        writeSensor(d, reg::kReadMode, preview ? 0x4006 : kSnap[static_cast<size_t>(kind)]);
    } else if (isK1Sensor(d.sensorId)) {
        writeSensor(d, 27, preview ? 1 : 0);
        writeSensor(d, 7, preview ? 904 : 920);
        writeSensor(d, 32, preview ? 433 : 981);
    } else if (isK3(d.model)) {
        wideAddressAccess(d, 192, 1, true);
    }
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_SetPreviewSnapMode(int preview, int snapKind, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        preview = preview == 0 ? 0 : 1;
        if (!preview && (snapKind < 0 || snapKind > 3)) {
            return TQ_E_PARAMETER;
        }
        const int kind = preview ? 0 : snapKind;
        if (d->sensorId == kSensor2C01 && !preview) {
            byteWideAccess(*d, 0x301A, 0x10D4, true);
            byteWideAccess(*d, 0x3026, 0xFFFF, true);
        }
        const auto bytes = modeBytes(preview, kind, d->snap.inputMode, d->snap.outputMode);
        if (sendModeFrame(*d, wire::kPreviewSnapMode, bytes) != 0) {
            return TQ_E_FAILED;
        }
        if (d->sensorId == kSensor2C01) {
            const uint32_t mode = preview ? 0x00000059u : 0x00080059u;
            sendCommandValue(*d, wire::kSensorMode, mode);
        }
        adjustReadMode(*d, preview, kind);
        d->snap.preview = preview;
        d->snap.kind = kind;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetPreviewSnapMode(int* preview, int* snapKind, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || preview == nullptr || snapKind == nullptr) {
            return TQ_E_FAILED;
        }
        *preview = d->snap.preview.load();
        *snapKind = d->snap.kind;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SnapSWTrigger(int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (sendCommand(*d, wire::kSoftwareTrigger) != 0) {
            return TQ_E_SOFTWARE_TRIGGER;
        }
        d->snap.triggerPending = 1;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetSnapTrigFreqImgCount(int frequency, int imageCount, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto range = triggerFrequencyRange(*d);
        if (!range) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        frequency = std::clamp(frequency, range->minimum, range->maximum);
        const int count = std::max(imageCount, 0);
        sendCommandValue(*d, wire::kTriggerPeriod, static_cast<uint32_t>(1'000'000 / frequency));
        sendCommandValue(*d, wire::kTriggerImageCount, static_cast<uint32_t>(count));
        d->snap.frequency = frequency;
        d->snap.imageCount = count;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetSnapTrigFreqImgCount(int* frequency, int* imageCount, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || frequency == nullptr || imageCount == nullptr) {
            return TQ_E_FAILED;
        }
        *frequency = d->snap.frequency;
        *imageCount = d->snap.imageCount;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetTrigFreqRange(TQ_Range* range, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto r = triggerFrequencyRange(*d);
        if (!r || range == nullptr) {
            return TQ_E_FAILED;
        }
        range->maximum = r->maximum;
        range->minimum = r->minimum;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetTrigImgCountRange(TQ_Range* range, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto r = triggerFrequencyRange(*d);
        if (!r || range == nullptr) {
            return TQ_E_FAILED;
        }
        range->maximum = r->maximum;
        range->minimum = 0;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetSnapDebounceTime(int time, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (sendCommandValue(*d, wire::kDebounceTime, static_cast<uint32_t>(time)) != 0) {
            return TQ_E_FAILED;
        }
        d->snap.debounceTime = time;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetSnapDebounceTime(int* time, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || time == nullptr) {
            return TQ_E_FAILED;
        }
        *time = d->snap.debounceTime;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetSnapExpTime(int microseconds, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        d->snap.exposureTime = microseconds;
        const double row = rowTimeSeconds(*d);
        if (isStandard(*d) && row > 0) {
            const ExposureSettings& e = d->exposure;
            const double rows = microseconds * 1e-6 / row;
            const auto clamped = static_cast<uint32_t>(std::clamp<double>(
                rows, std::min(e.rangeMin, e.rangeMax), std::max(e.rangeMin, e.rangeMax)));
            writeSensor(*d, reg::kShutterLow, static_cast<uint16_t>(clamped % 65536));
            writeSensor(*d, reg::kShutterHigh, static_cast<uint16_t>(clamped / 65536));
        } else if (d->sensorId == kSensor2C01 && d->lineLength > 0) {
            // In 64 bits: any time the caller gives stays in range.
            const int64_t value = (int64_t{microseconds} * 160 - 1010) / d->lineLength;
            TQ_SetExposureValue(static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX)),
                                device);
        } else if (isK1Sensor(d->sensorId) && row > 0) {
            const double rows = microseconds * 1e-6 / row;
            TQ_SetExposureValue(static_cast<int>(std::clamp<double>(rows, INT_MIN, INT_MAX)),
                                device);
        }
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetSnapExpTime(int* microseconds, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || microseconds == nullptr) {
            return TQ_E_FAILED;
        }
        *microseconds = d->snap.exposureTime;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetSnapExpTimeRange(TQ_Range* range, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (range == nullptr) {
            return TQ_E_FAILED;
        }
        range->maximum = kSnapExposureMax;
        range->minimum = kSnapExposureMin;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetSnapIOMode(int inputMode, int outputMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (inputMode < 0 || inputMode > 3 || outputMode < 0 || outputMode > 1) {
            return TQ_E_PARAMETER;
        }
        const auto bytes = modeBytes(d->snap.preview.load(), d->snap.kind, inputMode, outputMode);
        if (sendModeFrame(*d, wire::kPreviewSnapMode, bytes) != 0) {
            return TQ_E_FAILED;
        }
        d->snap.inputMode = inputMode;
        d->snap.outputMode = outputMode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetSnapIOMode(int* inputMode, int* outputMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || inputMode == nullptr || outputMode == nullptr) {
            return TQ_E_FAILED;
        }
        *inputMode = d->snap.inputMode;
        *outputMode = d->snap.outputMode;
        return TQ_SUCCESS;
    });
}

// The two ranges are read-only: they are taken from the camera, not set.
OSTREL_API uint32_t TQ_SetSnapInfo(int preview, int snapKind, int debounceTime, int exposureTime,
                                   int triggerFrequency, int triggerImageCount,
                                   int /*exposureTimeMaximum*/, int /*exposureTimeMinimum*/,
                                   int /*triggerFrequencyMaximum*/, int /*triggerFrequencyMinimum*/,
                                   int inputMode, int outputMode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        uint32_t status = TQ_SUCCESS;
        // The I/O modes first, so that one mode frame carries them all.
        if (inputMode < 0 || inputMode > 3 || outputMode < 0 || outputMode > 1) {
            status |= TQ_E_PARAMETER;
        } else {
            d->snap.inputMode = inputMode;
            d->snap.outputMode = outputMode;
        }
        status |= TQ_SetPreviewSnapMode(preview, snapKind, device);
        status |= TQ_SetSnapDebounceTime(debounceTime, device);
        status |= TQ_SetSnapExpTime(exposureTime, device);
        status |= TQ_SetSnapTrigFreqImgCount(triggerFrequency, triggerImageCount, device);
        return status;
    });
}

OSTREL_API uint32_t TQ_GetSnapInfo(TQ_SnapInfo* info, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || info == nullptr) {
            return TQ_E_FAILED;
        }
        info->preview = d->snap.preview.load();
        info->snapKind = d->snap.kind;
        info->debounceTime = d->snap.debounceTime;
        info->exposureTime = d->snap.exposureTime;
        info->triggerFrequency = d->snap.frequency;
        info->triggerImageCount = d->snap.imageCount;
        TQ_Range range{};
        if (TQ_GetSnapExpTimeRange(&range, device) == TQ_SUCCESS) {
            info->exposureTimeMaximum = range.maximum;
            info->exposureTimeMinimum = range.minimum;
        }
        if (TQ_GetTrigFreqRange(&range, device) == TQ_SUCCESS) {
            info->triggerFrequencyMaximum = range.maximum;
            info->triggerFrequencyMinimum = range.minimum;
        }
        TQ_GetSnapIOMode(&info->inputMode, &info->outputMode, device);
        return TQ_SUCCESS;
    });
}

}  // extern "C"
