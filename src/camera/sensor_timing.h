// Row time and exposure limits of the sensors, from the register mirror.
#pragma once

#include <optional>

#include "camera/device_table.h"

namespace ostrel {

// Length of one pixel-clock period (48 MHz).
inline constexpr double kPixelClockPeriod = 2.0833333333333335e-8;

// Seconds per sensor row; -1 for a sensor without a known row time.
double rowTimeSeconds(const Device& d);

struct ExposureRange {
    int maximum;
    int minimum;
};
// The sensor's own exposure range in rows, or nothing for an unknown camera.
std::optional<ExposureRange> sensorExposureRange(const Device& d);

}  // namespace ostrel
