// Start values of the standard sensors and the settings that go with them.
#include "camera/default_registers.h"

#include <array>
#include <vector>

#include "camera/camera_types.h"
#include "camera/register_access.h"
#include "camera/sensor_start_up.h"
#include "camera/sensor_timing.h"
#include "camera/stream.h"

namespace ostrel {

namespace {

struct Defaults {
    uint16_t mirror;
    uint16_t columnSize;
    uint16_t rowSize;
    uint16_t shutter;
    bool sendsShutterHigh;
    uint16_t blackLevelCalibration;
    uint16_t blackLevelOffset;
    int gainMax;
    int colour;
    int snapExposureTime;
    int triggerFrequency;
};

constexpr Defaults k8431 = {0x4000, 1279, 1023, 1049, false, 1176, 463, 15, 0, 30000, 30};
constexpr Defaults k1621 = {0xC000, 2047, 1535, 1561, true, 0, 32, 128, 1, 60000, 12};
constexpr Defaults k1801 = {0xC000, 2591, 1943, 1943, true, 0, 32, 128, 1, 30000, 14};

}  // namespace

uint32_t programDefaultRegisters(Device& d, int index) {
    const Defaults* def = d.sensorId == kSensor8431   ? &k8431
                          : d.sensorId == kSensor1621 ? &k1621
                          : d.sensorId == kSensor1801 ? &k1801
                                                      : nullptr;
    if (def == nullptr) {
        return TQ_E_DEVICE_NOT_FOUND;
    }
    stopStreamThreads(d);
    d.capturing = 0;
    if (d.sensorId == kSensor1801) {
        sendSensorEntries(d, kClockSetUpRegisters1801, kClockSetUpValues1801, true);
    }
    // The registers with start values, in the order of the mirror's slots.
    std::vector<uint8_t> regs = {reg::kMirror, reg::kColumnSize, reg::kRowSize};
    std::vector<uint16_t> values = {def->mirror, def->columnSize, def->rowSize};
    regs.push_back(reg::kBlackLevelControl);
    values.push_back(def->blackLevelCalibration);
    for (uint8_t r : {reg::kBlackLevelG1, reg::kBlackLevelG2, reg::kBlackLevelR, reg::kBlackLevelB}) {
        regs.push_back(r);
        values.push_back(def->blackLevelOffset);
    }
    for (uint8_t r : {reg::kGlobalGain, reg::kGainG1, reg::kGainG2, reg::kGainR, reg::kGainB}) {
        regs.push_back(r);
        values.push_back(8);
    }
    regs.push_back(reg::kShutterLow);
    values.push_back(def->shutter);
    if (def->sendsShutterHigh) {
        regs.push_back(reg::kShutterHigh);
        values.push_back(0);
    }
    if (sendSensorEntries(d, regs, values, true) != 0) {
        return TQ_E_FAILED;
    }
    if (d.sensorId == kSensor1801) {
        sendSensorEntries(d, kTuningRegisters1801, kTuningValues1801, true);
    }
    releaseStreamBuffers(d);

    const auto max = maxResolutionOf(d.sensorId, d.model);
    d.width = max->width;
    d.height = max->height;
    d.gain.rangeMax = def->gainMax;
    d.gain.rangeMin = 1;
    d.gain.values = {8, 8, 8, 8, 8};
    d.blackLevel.rangeMax = 255;
    d.blackLevel.rangeMin = -255;
    d.blackLevel.values = {def->blackLevelCalibration, def->blackLevelOffset, def->blackLevelOffset,
                           def->blackLevelOffset, def->blackLevelOffset};
    if (const auto range = sensorExposureRange(d)) {
        d.exposure.rangeMax = range->maximum;
        d.exposure.rangeMin = range->minimum;
    }
    d.exposure.value = def->shutter;
    d.gain.autoMode = 0;
    d.exposure.autoMode = 0;
    d.blackLevel.autoMode = 1;
    d.gain.enable = d.exposure.enable = d.blackLevel.enable = 1;
    TQ_SetImageColorStat(def->colour, index);
    TQ_SetSnapDebounceTime(20000, index);
    // Kept, not applied: turned into rows it would replace the shutter width
    // just programmed.
    d.snap.exposureTime = def->snapExposureTime;
    TQ_SetSnapTrigFreqImgCount(def->triggerFrequency, 0, index);
    return TQ_SUCCESS;
}

}  // namespace ostrel
