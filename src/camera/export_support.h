// Helpers shared by the exported calls.
#pragma once

#include <optional>

#include "camera/camera_types.h"
#include "camera/device_table.h"
#include "camera/export_guard.h"

namespace ostrel {

inline bool isSupported(const Device& d) {
    return isSupportedCamera(d.sensorId, d.model);
}
inline bool isStandard(const Device& d) {
    return isStandardSensor(d.sensorId);
}

// Forgets what the device knew of its camera (a new open may find another).
void resetCameraState(Device& d);
// Ranges of the settings record that the camera starts with.
void initialiseSettingsRanges(Device& d);

struct Bounds {
    int maximum;
    int minimum;
};
// The trigger frequency range of the camera at its current width.
std::optional<Bounds> triggerFrequencyRange(const Device& d);

}  // namespace ostrel
