// Sensors and sizes of the simulated camera models.
#include "sim/camera/sim_models.h"

#include <array>

namespace camsim {

namespace {

constexpr std::array<ModelSpec, 9> kModels = {{
    {"K1M", 0x1313, 752, 480, false, RegisterForm::K1, true, false, 60},
    {"K1C", 0x1324, 752, 480, true, RegisterForm::K1, true, false, 60},
    {"K2M", 0x8431, 1280, 1024, false, RegisterForm::Standard, true, true, 30},
    {"K5C", 0x1621, 2048, 1536, true, RegisterForm::Standard, true, true, 12},
    {"K6C", 0x1801, 2592, 1944, true, RegisterForm::Standard, true, true, 14},
    {"K6M", 0x1801, 2592, 1944, false, RegisterForm::Standard, true, true, 14},
    {"K3M", 0, 1280, 1024, false, RegisterForm::WideAddress, false, false, 30},
    {"K3C", 0, 1280, 1024, true, RegisterForm::WideAddress, false, false, 30},
    {"K4C", 0x2C01, 3664, 2748, true, RegisterForm::ByteWide, true, true, 7},
}};

}  // namespace

std::span<const ModelSpec> allModels() { return kModels; }

const ModelSpec* findModel(std::string_view name) {
    for (const ModelSpec& m : kModels) {
        if (m.name == name) {
            return &m;
        }
    }
    return nullptr;
}

}  // namespace camsim
