// Fixed register sets that bring a sensor up: the start-up tables of the
// settings file load and the set-up of sensor 0x1801.
#pragma once

#include <array>
#include <cstdint>

#include "camera/device_table.h"

namespace ostrel {

// Clock set-up of sensor 0x1801, one four-entry write frame.
inline constexpr std::array<uint8_t, 4> kClockSetUpRegisters1801 = {0x10, 0x11, 0x12, 0x10};
inline constexpr std::array<uint16_t, 4> kClockSetUpValues1801 = {0x0051, 0x1801, 0x0002, 0x0053};

// Fixed tuning of sensor 0x1801, sent after its register set.
inline constexpr std::array<uint8_t, 23> kTuningRegisters1801 = {
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,
    0x7C, 0x7E, 0x7F, 0x06, 0x29, 0x3E, 0x3F, 0x41, 0x48, 0x5F, 0x57};
inline constexpr std::array<uint16_t, 23> kTuningValues1801 = {
    0x0079, 0x7800, 0x7800, 0x0300, 0x0300, 0x3C00, 0x4E3D, 0x4E3D, 0x774F, 0x7900, 0x7904, 0x7800,
    0x7800, 0x7800, 0x7800, 0x0000, 0x0481, 0x0087, 0x0007, 0x0003, 0x0018, 0x1C16, 0x0007};

// Brings the sensor to a known state before the settings file is applied:
// K3 models and sensor 0x2C01 get their start-up tables; every other camera
// has its register mirror read back, and sensor 0x1801 then gets its clock
// set-up and one tuning frame of 26 entries.
void startUpSensor(Device& d);

}  // namespace ostrel
