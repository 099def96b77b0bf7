// The camera's raw Ethernet frames: building and reading them, with no I/O.
//
// The driver and the simulated camera build and read frames with these very
// functions. Every reader takes the frame's real length and answers nothing
// (or Unknown) rather than read past its end: the camera's segment is open to
// anyone who can write a frame.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ostrel::wire {

using MacAddress = std::array<uint8_t, 6>;
using Frame = std::vector<uint8_t>;

// Every command frame goes to this address; the camera answers from it.
inline constexpr MacAddress kCameraAddress = {0x00, 0x12, 0x34, 0x56, 0x78, 0x9A};

inline constexpr size_t kHeaderSize = 18;
inline constexpr uint8_t kSignature = 0x5A;
inline constexpr uint8_t kDataSignature = 0x6A;

// Command codes (byte 17 after three signature bytes).
inline constexpr uint8_t kSensorTransfer = 0x5C;
inline constexpr uint8_t kCaptureArm = 0x5B;
inline constexpr uint8_t kSoftwareTrigger = 0x03;
inline constexpr uint8_t kTriggerPeriod = 0x01;
inline constexpr uint8_t kTriggerImageCount = 0x02;
inline constexpr uint8_t kExposureTiming = 0x05;
inline constexpr uint8_t kDebounceTime = 0x5D;
inline constexpr uint8_t kPreviewSnapMode = 0x5E;
inline constexpr uint8_t kSensorMode = 0x00;

// Second byte of the controller frames.
inline constexpr uint8_t kControllerRead = 'X';
inline constexpr uint8_t kControllerWrite = 'V';
inline constexpr uint8_t kControllerReply = 'Y';
inline constexpr uint8_t kStreamStatus = 'R';

// Controller registers.
inline constexpr uint16_t kIdentityRegister = 0x4000;
inline constexpr uint16_t kFirmwareVersionRegister = 0x000E;
inline constexpr uint16_t kPacketSizeRegister = 0x0012;
inline constexpr uint16_t kCaptureControlRegister = 0x5A00;
inline constexpr uint16_t kGeometryChangeRegister = 0x5A06;
inline constexpr uint16_t kTriggerExposureRowsRegister = 0x5A10;
inline constexpr uint16_t kTriggerExposureTimeRegister = 0x5A13;

inline constexpr uint32_t kIdentityWords = 8;
inline constexpr uint16_t kStreamStatusFrameBegins = 2;
inline constexpr uint16_t kStreamStatusFrameEnds = 1;

// Firmware from this version on can change its packet size.
inline constexpr uint32_t kPacketSizeVersion = 0x0002010C;
inline constexpr uint32_t kDefaultPayload = 1024;

// Access codes of a sensor register entry.
inline constexpr uint8_t kReadCodeK1 = 0xB9;
inline constexpr uint8_t kWriteCodeK1 = 0xB8;
inline constexpr uint8_t kReadCodeByteWide = 0x21;
inline constexpr uint8_t kWriteCodeByteWide = 0x20;
inline constexpr uint8_t kReadCodeStandard = 0xBB;
inline constexpr uint8_t kWriteCodeStandard = 0xBA;

// One 4-byte entry of a sensor register transfer.
struct SensorEntry {
    uint8_t b0 = 0;  // access code (or address high byte in the 16-bit address form)
    uint8_t b1 = 0;
    uint8_t b2 = 0;
    uint8_t b3 = 0;
};

inline uint16_t readBe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
inline uint32_t readBe32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | uint32_t{p[3]};
}
inline void writeBe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void writeBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// ---- Driver to camera -------------------------------------------------------

// A command frame: 5A 5A 5A code, then the argument bytes.
Frame commandFrame(const MacAddress& source, uint8_t code, std::span<const uint8_t> argument = {});
// A command with one big-endian 32-bit argument (22 bytes).
Frame commandWithValue(const MacAddress& source, uint8_t code, uint32_t value);
// A sensor register transfer of n entries (18 + 4n bytes).
Frame sensorTransfer(const MacAddress& source, std::span<const SensorEntry> entries);
// "ZX": read `count` 32-bit words from a controller register.
Frame controllerRead(const MacAddress& source, uint16_t address, uint8_t count);
// "ZV": write 32-bit words to a controller register.
Frame controllerWrite(const MacAddress& source, uint16_t address, std::span<const uint32_t> values);

// ---- What the driver recognises --------------------------------------------

enum class FrameKind : uint8_t {
    Unknown,
    SensorReply,      // bytes 14..17 all 5A
    ControllerReply,  // 5A 'Y'
    StreamStatus,     // 5A 'R'
    ImageData,        // 6A
};

// Only the signature bytes decide; a frame too short for its header is Unknown.
FrameKind classifyFrame(std::span<const uint8_t> frame);

// Value of entry k of a sensor reply (bytes 20+4k, 21+4k).
std::optional<uint16_t> sensorReplyValue(std::span<const uint8_t> frame, size_t entry);
// The two-entry byte-wide reply: byte 21 << 8 | byte 25.
std::optional<uint16_t> byteWideReplyValue(std::span<const uint8_t> frame);
// Word k of a controller reply (from offset 18).
std::optional<uint32_t> controllerReplyWord(std::span<const uint8_t> frame, size_t word);
// The identity text of a controller reply: from offset 18 up to its NUL (or the
// frame's end), at most `maxLength` characters.
std::string controllerReplyText(std::span<const uint8_t> frame, size_t maxLength);
// Code of a stream status frame.
std::optional<uint16_t> streamStatusCode(std::span<const uint8_t> frame);

struct DataPacketHeader {
    uint8_t tag = 0;
    uint16_t number = 0;
};
std::optional<DataPacketHeader> dataPacketHeader(std::span<const uint8_t> frame);

// ---- Camera to driver (the simulated camera's side) -------------------------

enum class RequestKind : uint8_t {
    Unknown,
    SensorTransfer,   // 5A 5A 5A 5C + entries
    Command,          // 5A 5A 5A code (bare or one argument)
    ControllerRead,   // 5A 'X'
    ControllerWrite,  // 5A 'V'
};

RequestKind classifyRequest(std::span<const uint8_t> frame);
// The command code of a Command frame.
uint8_t commandCode(std::span<const uint8_t> frame);
// Controller register address of a controller frame (bytes 16..17).
uint16_t controllerAddress(std::span<const uint8_t> frame);
// The entries of a sensor register transfer that fit in the frame.
std::vector<SensorEntry> sensorEntries(std::span<const uint8_t> frame);
// One-argument command value (bytes 18..21).
std::optional<uint32_t> commandArgument(std::span<const uint8_t> frame);

// The sensor reply: the request's entries with their values filled in, and
// 5A in byte 17.
Frame sensorReply(const MacAddress& destination, std::span<const SensorEntry> entries);
Frame controllerReply(const MacAddress& destination, uint16_t address,
                      std::span<const uint32_t> words);
Frame streamStatus(const MacAddress& destination, uint16_t code);
// Writes a data packet (header + payload) into `out` (resized to fit).
void dataPacket(Frame& out, const MacAddress& destination, uint8_t tag, uint16_t number,
                std::span<const uint8_t> payload);

}  // namespace ostrel::wire
