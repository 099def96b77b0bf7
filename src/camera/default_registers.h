// The default register set of the standard sensors (the settings page's
// "Default" action reprograms the sensor with it).
#pragma once

#include <cstdint>

#include "camera/device_table.h"

namespace ostrel {

// Stops the device's threads, programs the sensor (0x8431, 0x1621 or 0x1801)
// with its start values in one write frame, applies the settings that go with
// them, and releases the stream buffers; the caller then refreshes the mirror,
// rebuilds the buffers and restarts capture. Answers TQ_SUCCESS, TQ_E_FAILED
// when the register set could not be sent, or TQ_E_DEVICE_NOT_FOUND for other
// cameras.
uint32_t programDefaultRegisters(Device& d, int index);

}  // namespace ostrel
