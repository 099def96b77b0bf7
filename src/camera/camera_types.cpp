// Model codes, access codes, image sizes and trigger limits by camera.
#include "camera/camera_types.h"

#include <array>
#include <span>
#include <utility>

#include "camera/wire_format.h"

namespace ostrel {

int modelCodeOf(std::string_view model) {
    static constexpr std::array<std::pair<std::string_view, int>, 10> kCodes = {{
        {"K1C", 1}, {"K1M", 2}, {"K2C", 3}, {"K2M", 4}, {"K5C", 5},
        {"K5M", 6}, {"K6C", 7}, {"K6M", 8}, {"K3C", 9}, {"K3M", 10},
    }};
    for (const auto& [name, code] : kCodes) {
        if (model == name) {
            return code;
        }
    }
    return 0;
}

bool isK3(std::string_view model) { return model == "K3M" || model == "K3C"; }
bool isK1(std::string_view model) { return model == "K1M" || model == "K1C"; }
bool isK4C(std::string_view model) { return model == "K4C"; }

AccessCodes accessCodesOf(std::string_view model) {
    if (isK1(model)) {
        return {wire::kReadCodeK1, wire::kWriteCodeK1};
    }
    if (isK4C(model)) {
        return {wire::kReadCodeByteWide, wire::kWriteCodeByteWide};
    }
    return {wire::kReadCodeStandard, wire::kWriteCodeStandard};
}

bool isStandardSensor(uint16_t id) {
    return id == kSensor1621 || id == kSensor8431 || id == kSensor1801;
}

bool isK1Sensor(uint16_t id) { return id == kSensor1313 || id == kSensor1324; }

bool isSupportedCamera(uint16_t id, std::string_view model) {
    return isStandardSensor(id) || isK1Sensor(id) || id == kSensor2C01 || isK3(model);
}

std::optional<ImageSize> maxResolutionOf(uint16_t id, std::string_view model) {
    switch (id) {
        case kSensor8431:
            return ImageSize{1280, 1024};
        case kSensor1621:
            return ImageSize{2048, 1536};
        case kSensor1801:
            return ImageSize{2592, 1944};
        case kSensor1313:
        case kSensor1324:
            return ImageSize{752, 480};
        case kSensor2C01:
            return ImageSize{3664, 2748};
        default:
            break;
    }
    if (isK3(model)) {
        return ImageSize{1280, 1024};
    }
    return std::nullopt;
}

ImageSize largestRawImageOf(uint16_t id, std::string_view model) {
    if (auto size = maxResolutionOf(id, model)) {
        return *size;
    }
    return ImageSize{752, 480};
}

std::optional<int> maxTriggerFrequencyOf(uint16_t id, std::string_view model, int width) {
    struct Entry {
        int width;
        int frequency;
    };
    static constexpr Entry k8431[] = {{640, 90}, {800, 81}, {1024, 50}, {1280, 30}};
    static constexpr Entry k1621[] = {{640, 93},  {800, 65},  {1024, 43},
                                      {1280, 27}, {1600, 20}, {2048, 12}};
    static constexpr Entry k1801[] = {{640, 123},  {800, 90},   {1024, 63}, {1280, 42},
                                      {1600, 31}, {2048, 21}, {2592, 14}};
    auto pick = [width](std::span<const Entry> table) {
        for (const Entry& e : table) {
            if (width <= e.width) {
                return e.frequency;
            }
        }
        return table.back().frequency;
    };
    switch (id) {
        case kSensor8431:
            return pick(k8431);
        case kSensor1621:
            return pick(k1621);
        case kSensor1801:
            return pick(k1801);
        case kSensor1313:
        case kSensor1324:
            return 100;
        case kSensor2C01:
            return 7;
        default:
            break;
    }
    if (isK3(model)) {
        return 120;
    }
    return std::nullopt;
}

}  // namespace ostrel
