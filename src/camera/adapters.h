// The host's capture adapters, as the device index counts them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "camera/transport.h"
#include "camera/wire_format.h"

namespace ostrel {

struct Adapter {
    std::string captureName;  // what the capture library opens
    std::string name;         // the system's name of the adapter
    std::string description;
    wire::MacAddress hardwareAddress{};
    std::string simulatedModel;  // not empty for the in-process simulated camera
};

// The capture library's Ethernet adapters in its order (no pseudo-devices,
// no loopback), then the simulated camera's adapter when
// OSTREL_SIMULATED_CAMERA names a model. Nothing when the capture library
// cannot list its adapters.
std::optional<std::vector<Adapter>> listAdapters();

// Opens the transport of an adapter; null with `error` on failure.
std::unique_ptr<Transport> openAdapter(const Adapter& adapter, std::string* error);

// Kernel buffer of a freshly opened adapter (before the camera is known).
inline constexpr size_t kOpeningBufferBytes = 4u << 20;

}  // namespace ostrel
