// What the driver knows about each camera model and sensor chip.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ostrel {

inline constexpr uint16_t kSensor8431 = 0x8431;  // 1280 x 1024, mono
inline constexpr uint16_t kSensor1621 = 0x1621;  // 2048 x 1536, colour
inline constexpr uint16_t kSensor1801 = 0x1801;  // 2592 x 1944, K6C colour, K6M mono
inline constexpr uint16_t kSensor1313 = 0x1313;  // 752 x 480 (K1M, K1C)
inline constexpr uint16_t kSensor1324 = 0x1324;  // 752 x 480 (K1M, K1C)
inline constexpr uint16_t kSensor2C01 = 0x2C01;  // 3664 x 2748, byte-wide registers

// Model codes from the model string the camera reports.
int modelCodeOf(std::string_view model);

bool isK3(std::string_view model);   // K3M or K3C: told by model, 16-bit register addresses
bool isK1(std::string_view model);   // K1M or K1C
bool isK4C(std::string_view model);  // byte-wide sensor registers

struct AccessCodes {
    uint8_t read;
    uint8_t write;
};
// Access codes of a sensor register entry for this model.
AccessCodes accessCodesOf(std::string_view model);

// 0x1621, 0x8431 and 0x1801: the sensors that share the register mirror layout.
bool isStandardSensor(uint16_t sensorId);
bool isK1Sensor(uint16_t sensorId);  // 0x1313 or 0x1324
// Cameras the settings calls work on; the others answer "device not found".
bool isSupportedCamera(uint16_t sensorId, std::string_view model);

struct ImageSize {
    int width = 0;
    int height = 0;
};
// The largest image of the camera, or nothing for an unknown one.
std::optional<ImageSize> maxResolutionOf(uint16_t sensorId, std::string_view model);
// The largest image the camera can send in one byte per pixel of raw data,
// whatever it is set to; used to size the kernel buffer.
ImageSize largestRawImageOf(uint16_t sensorId, std::string_view model);

// Trigger frequency maximum (frames per second) at the given width. Widths
// not listed take the figure of the nearest listed width above them (the
// lower frequency), or of the largest width.
std::optional<int> maxTriggerFrequencyOf(uint16_t sensorId, std::string_view model, int width);

}  // namespace ostrel
