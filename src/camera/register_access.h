// Requests to the camera and waits for their replies.
//
// Sensor and controller register accesses, the one-argument and bare
// commands. A reply wait reads the device's frames until one with the
// expected signature comes (others, image packets included, are dropped) or
// its limit passes. Waits run while the device's receive thread is stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "camera/device_table.h"

namespace ostrel {

// Sends a frame on the device; 0 on success. A device without record (never
// opened) shows "Invalible Mac address!" and sends nothing.
int sendFrame(Device& d, const wire::Frame& frame);
bool hasRecord(Device& d);  // shows the message when there is none

// One 0x5C frame of n entries with code 0xBB (read: the value pair of every
// entry zero) or 0xBA (write, one value per entry). Writes update the mirror.
int sendSensorEntries(Device& d, std::span<const uint8_t> registers,
                      std::span<const uint16_t> values, bool write);
// One entry with the model's access code; a write updates the mirror.
int sensorAccess(Device& d, uint8_t reg, uint16_t value, bool write);
inline int writeSensor(Device& d, uint8_t reg, uint16_t value) {
    return sensorAccess(d, reg, value, true);
}
// The two-entry form of the byte-wide sensors (K4C, 0x2C01).
int byteWideAccess(Device& d, uint16_t address, uint16_t value, bool write);
// The 16-bit address form of the K3 sensors.
int wideAddressAccess(Device& d, uint16_t address, uint16_t value, bool write);

// Reads sensor register 0 (the chip identifier) in the model's form and waits
// up to 1000 ms. No reply: nothing, and the device's open flag is cleared.
std::optional<uint16_t> readChipIdentifier(Device& d);
// Reads the 23 mirrored registers in one frame and waits up to 1000 ms for
// the reply (the mirror is left as it was without one).
bool refreshRegisterMirror(Device& d);

// "ZX": reads `count` words and waits for the "ZY" reply, starting to read
// after `delayMs`; the limit runs from the send.
std::optional<std::vector<uint32_t>> readController(Device& d, uint16_t address, uint8_t count,
                                                    int delayMs = 0);
// The identity text (register 0x4000), or nothing without a reply.
std::optional<std::string> readIdentity(Device& d);
int writeController(Device& d, uint16_t address, std::span<const uint32_t> values);
inline int writeController(Device& d, uint16_t address, uint32_t value) {
    return writeController(d, address, std::span<const uint32_t>(&value, 1));
}

int sendCommand(Device& d, uint8_t code);
int sendCommandValue(Device& d, uint8_t code, uint32_t value);

// Waits up to `limitMs` from `sentAt` for a frame of `kind` that holds at
// least `minSize` bytes; frames of other kinds are dropped.
std::optional<wire::Frame> awaitReply(Device& d, wire::FrameKind kind, size_t minSize,
                                      SteadyClock::time_point sentAt, int limitMs);

// The registers of the mirror refresh, in the order the camera answers them.
inline constexpr std::array<uint8_t, 23> kMirrorRefreshOrder = {
    0x20, 0x03, 0x04, 0x35, 0x2B, 0x2E, 0x2D, 0x2C, 0x09, 0x62, 0x60, 0x61,
    0x63, 0x64, 0x05, 0x06, 0x08, 0x0C, 0x22, 0x23, 0x01, 0x02, 0x1E};

void sleepMs(int ms);

}  // namespace ostrel
