// The camera models the simulated camera can be.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "camera/image_conversion.h"

namespace camsim {

// How the model's sensor registers are addressed on the wire.
enum class RegisterForm : uint8_t {
    Standard,     // one entry per 8-bit register, codes 0xBB / 0xBA
    K1,           // one entry per 8-bit register, codes 0xB9 / 0xB8
    ByteWide,     // 16-bit addresses of byte registers, codes 0x21 / 0x20
    WideAddress,  // 16-bit addresses without access code (bit 15: write)
};

struct ModelSpec {
    std::string_view name;  // the identity text, "K1M" ...
    uint16_t sensorId;      // 0: the model has no chip identifier to read
    int maxWidth;
    int maxHeight;
    bool colour;
    RegisterForm form;
    // The sensor itself mirrors (else the driver mirrors in software).
    bool sensorMirrors;
    // The mosaic phase of the readout follows the mirror (else the sensor
    // keeps it fixed).
    bool phaseFollowsMirror;
    int defaultFramesPerSecond;
};

std::span<const ModelSpec> allModels();
// The model of that name, or null.
const ModelSpec* findModel(std::string_view name);

}  // namespace camsim
