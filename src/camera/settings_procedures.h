// Saving the camera's settings to its settings file and loading them back.
#pragma once

#include "camera/device_table.h"

namespace ostrel {

// Writes every setting of the device to its settings file (in the folder
// the last load remembered), section by section in the file's order. False
// when the file could not be written (the old one stays as it was).
bool saveSettingsFile(Device& d, int index);

// Brings the sensor up and applies the settings file: mirror, resolution,
// colour and gamma, black level, gain, snapshot, exposure. Missing keys take
// their defaults; a value the file holds out of its range is replaced by the
// nearest bound and the file corrected.
void loadSettingsFile(Device& d, int index);

}  // namespace ostrel
