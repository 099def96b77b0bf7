// The save and load procedures of the camera's settings file.
#include "camera/settings_procedures.h"

#include <algorithm>
#include <array>
#include <string>

#include "camera/export_support.h"
#include "camera/sensor_start_up.h"
#include "camera/settings_file.h"

namespace ostrel {

namespace {

// Sections and keys, exactly as the file spells them.
namespace section {
constexpr const char* kCamera = "Camera Info";
constexpr const char* kResolution = "Resolution Info";
constexpr const char* kColour = "Color Info";
constexpr const char* kGamma = "Gamma Info";
constexpr const char* kMirror = "Mirror Info";
constexpr const char* kBlackLevel = "Black Level Info";
constexpr const char* kGain = "Gain Info";
constexpr const char* kExposure = "Exposure Integration Row Info";
constexpr const char* kSnap = "Snap Control Info";
}  // namespace section

constexpr const char* kAuto = "Auto";
constexpr const char* kManual = "Manual";
constexpr const char* kEnable = "Enable";
constexpr const char* kDisable = "Disable";
constexpr const char* kRangeMax = "Range Max";
constexpr const char* kRangeMin = "Range Min";
constexpr std::array<const char*, 5> kBlackLevelKeys = {"MODE", "G1 Value", "G2 Value", "R Value",
                                                        "B Value"};
constexpr std::array<const char*, 5> kGainKeys = {"Global Gain", "G1 Gain", "G2 Gain", "R Gain",
                                                  "B Gain"};
constexpr std::array<const char*, 4> kMirrorNames = {"Normal", "V Mirror", "H Mirror",
                                                     "V+H Mirror"};

// What the file does not say. The values the file's table leaves open
// (black level range maximum and values, gain range minimum and global
// gain, image count and I/O modes) are our own: the widest ranges the
// library knows and the neutral values in them.
constexpr int kDefaultBlackLevelMax = 255;
constexpr int kDefaultBlackLevelMin = -255;
constexpr int kDefaultBlackLevel = 0;
constexpr int kDefaultGainMax = 128;
constexpr int kDefaultGainMin = 1;
constexpr int kDefaultGain = 1;
constexpr int kDefaultExposureMax = 10000;
constexpr int kDefaultExposureMin = 1;
constexpr int kDefaultIntegrationRows = 100;
constexpr int kDefaultDebounceTime = 20;
constexpr int kDefaultSnapExposureTime = 80000;
constexpr int kDefaultTriggerFrequency = 14;

// A two-way text: `on` reads as 1, `off` as 0, anything else as the default.
int flagOf(const std::string& text, const char* on, const char* off, int fallback) {
    if (text == on) {
        return 1;
    }
    if (text == off) {
        return 0;
    }
    return fallback;
}

// Reads the settings and corrects out-of-range values in the file: only
// keys the file holds are written back, a missing key keeps meaning "the
// default".
class Reader {
  public:
    explicit Reader(SettingsFile& file) : file_(file) {}

    std::string text(const char* s, const char* key, const char* fallback) {
        return file_.text(s, key, fallback);
    }
    int number(const char* s, const char* key, int fallback) {
        return file_.number(s, key, fallback);
    }
    int flag(const char* s, const char* key, const char* on, const char* off) {
        return flagOf(file_.text(s, key, on), on, off, 1);
    }
    // A number kept within [low, high] (the bounds in either order).
    int bounded(const char* s, const char* key, int fallback, int low, int high) {
        const int value = file_.number(s, key, fallback);
        const int kept = std::clamp(value, std::min(low, high), std::max(low, high));
        if (kept != value && file_.has(s, key)) {
            file_.setNumber(s, key, kept);
            corrected_ = true;
        }
        return kept;
    }
    bool corrected() const { return corrected_; }

  private:
    SettingsFile& file_;
    bool corrected_ = false;
};

}  // namespace

bool saveSettingsFile(Device& d, int index) {
    SettingsFile file(settingsFileName(d.settingsFolder, d.model, index));
    auto onOff = [](int flag, const char* on, const char* off) { return flag != 0 ? on : off; };

    file.setText(section::kCamera, "Camera Type", d.model);

    TQ_Resolution resolution{d.width, d.height};
    TQ_GetResolution(&resolution, index);
    file.setNumber(section::kResolution, "Width", resolution.width);
    file.setNumber(section::kResolution, "Height", resolution.height);

    file.setText(section::kColour, "Color", onOff(d.colour.load(), "Color", "Gray"));
    file.setText(section::kGamma, "Gamma", onOff(d.gammaOn.load(), "Gamma", "No Gamma"));
    file.setText(section::kMirror, "Mirror",
                 kMirrorNames[static_cast<size_t>(std::clamp(d.mirrorMode.load(), 0, 3))]);

    auto writeGroup = [&](const char* s, const TQ_GainInfo& info,
                          const std::array<const char*, 5>& valueKeys) {
        file.setText(s, kAuto, onOff(info.autoMode, kAuto, kManual));
        file.setText(s, kEnable, onOff(info.enable, kEnable, kDisable));
        file.setNumber(s, kRangeMax, info.rangeMaximum);
        file.setNumber(s, kRangeMin, info.rangeMinimum);
        for (size_t i = 0; i < valueKeys.size(); ++i) {
            file.setNumber(s, valueKeys[i], info.values[i]);
        }
    };
    TQ_BlackLevelInfo blackLevel{};
    TQ_GetBlackLevelInfo(&blackLevel, index);
    writeGroup(section::kBlackLevel, blackLevel, kBlackLevelKeys);
    TQ_GainInfo gain{};
    TQ_GetGainInfo(&gain, index);
    writeGroup(section::kGain, gain, kGainKeys);

    TQ_ExposureInfo exposure{};
    TQ_GetExposureInfo(&exposure, index);
    file.setText(section::kExposure, kAuto, onOff(exposure.autoMode, kAuto, kManual));
    file.setText(section::kExposure, kEnable, onOff(exposure.enable, kEnable, kDisable));
    file.setNumber(section::kExposure, kRangeMax, exposure.rangeMaximum);
    file.setNumber(section::kExposure, kRangeMin, exposure.rangeMinimum);
    file.setNumber(section::kExposure, "Integration Rows", exposure.value);

    TQ_SnapInfo snap{};
    TQ_GetSnapInfo(&snap, index);
    file.setText(section::kSnap, "PrevSnap State", onOff(snap.preview, "Preview", "Snapshot"));
    file.setNumber(section::kSnap, "Snap State", snap.preview != 0 ? 0 : snap.snapKind);
    file.setNumber(section::kSnap, "Debouncer Time", snap.debounceTime);
    file.setNumber(section::kSnap, "Exposure Time", snap.exposureTime);
    file.setNumber(section::kSnap, "Trig Freq.", snap.triggerFrequency);
    file.setNumber(section::kSnap, "Trig output Image Count", snap.triggerImageCount);
    file.setNumber(section::kSnap, "IO In Mode", snap.inputMode);
    file.setNumber(section::kSnap, "IO Out Mode", snap.outputMode);

    return file.save();
}

void loadSettingsFile(Device& d, int index) {
    SettingsFile file(settingsFileName(d.settingsFolder, d.model, index));
    Reader in(file);

    startUpSensor(d);

    // Mirror first: the window and the demosaic phase depend on it.
    const std::string mirror = in.text(section::kMirror, "Mirror", "V+H Mirror");
    for (size_t mode = 0; mode < kMirrorNames.size(); ++mode) {
        if (mirror == kMirrorNames[mode]) {
            TQ_SetImageMirror(static_cast<int>(mode), index);
        }
    }

    // 0 (or anything beyond the sensor) stands for the whole sensor.
    int maxWidth = 0;
    int maxHeight = 0;
    if (TQ_GetMaxResolution(&maxWidth, &maxHeight, index) == TQ_SUCCESS) {
        int width = in.number(section::kResolution, "Width", 0);
        int height = in.number(section::kResolution, "Height", 0);
        if (width <= 0 || width > maxWidth) {
            width = maxWidth;
        }
        if (height <= 0 || height > maxHeight) {
            height = maxHeight;
        }
        TQ_SetResolution(width, height, index);
    }

    const int colour = flagOf(in.text(section::kColour, "Color", "Default"), "Color", "Gray", -1);
    if (colour >= 0) {
        TQ_SetImageColorStat(colour, index);
    }
    const int gamma =
        flagOf(in.text(section::kGamma, "Gamma", "No Gamma"), "Gamma", "No Gamma", -1);
    if (gamma >= 0) {
        TQ_SetImageGammaStat(gamma, index);
    }

    {
        const char* s = section::kBlackLevel;
        const int autoMode = in.flag(s, kAuto, kAuto, kManual);
        const int enable = in.flag(s, kEnable, kEnable, kDisable);
        const int maximum = in.number(s, kRangeMax, kDefaultBlackLevelMax);
        const int minimum = in.number(s, kRangeMin, kDefaultBlackLevelMin);
        int values[5];
        for (size_t i = 0; i < kBlackLevelKeys.size(); ++i) {
            values[i] = in.bounded(s, kBlackLevelKeys[i], kDefaultBlackLevel, minimum, maximum);
        }
        TQ_SetBlackLevelInfo(enable, autoMode, maximum, minimum, values, index);
    }
    {
        const char* s = section::kGain;
        const int autoMode = in.flag(s, kAuto, kAuto, kManual);
        const int enable = in.flag(s, kEnable, kEnable, kDisable);
        const int maximum = in.number(s, kRangeMax, kDefaultGainMax);
        const int minimum = in.number(s, kRangeMin, kDefaultGainMin);
        int values[5];
        for (size_t i = 0; i < kGainKeys.size(); ++i) {
            values[i] = in.bounded(s, kGainKeys[i], kDefaultGain, minimum, maximum);
        }
        TQ_SetGainInfo(enable, autoMode, maximum, minimum, values, index);
    }
    {
        const char* s = section::kSnap;
        const int preview =
            flagOf(in.text(s, "PrevSnap State", "Preview"), "Preview", "Snapshot", 1);
        const int kind = in.bounded(s, "Snap State", 0, 0, 3);
        const int debounce = in.number(s, "Debouncer Time", kDefaultDebounceTime);
        TQ_Range timeRange{2'000'000, 10};
        TQ_GetSnapExpTimeRange(&timeRange, index);
        const int time = in.bounded(s, "Exposure Time", kDefaultSnapExposureTime, timeRange.minimum,
                                    timeRange.maximum);
        // The driver's own bound also where the table lists no figure for
        // the width.
        const Bounds frequencyRange =
            triggerFrequencyRange(d).value_or(Bounds{kDefaultTriggerFrequency, 1});
        const int frequency = in.bounded(s, "Trig Freq.", kDefaultTriggerFrequency,
                                         frequencyRange.minimum, frequencyRange.maximum);
        const int count = std::max(in.number(s, "Trig output Image Count", 0), 0);
        const int inputMode = in.bounded(s, "IO In Mode", 0, 0, 3);
        const int outputMode = in.bounded(s, "IO Out Mode", 0, 0, 1);
        TQ_SetSnapInfo(preview, kind, debounce, time, frequency, count, timeRange.maximum,
                       timeRange.minimum, frequencyRange.maximum, frequencyRange.minimum, inputMode,
                       outputMode, index);
    }
    {
        const char* s = section::kExposure;
        // The range of the file is not the camera's: the sensor's own is set.
        TQ_SetExposureRange(in.number(s, kRangeMax, kDefaultExposureMax),
                            in.number(s, kRangeMin, kDefaultExposureMin), index);
        const int autoMode = in.flag(s, kAuto, kAuto, kManual);
        const int enable = in.flag(s, kEnable, kEnable, kDisable);
        int maximum = kDefaultExposureMax;
        int minimum = kDefaultExposureMin;
        TQ_GetExposureRange(&maximum, &minimum, index);
        const int rows =
            in.bounded(s, "Integration Rows", kDefaultIntegrationRows, minimum, maximum);
        TQ_SetExposureInfo(enable, autoMode, maximum, minimum, rows, index);
    }

    // A file that cannot be corrected (a read-only folder) is corrected
    // again by the next load; the camera has the right values either way.
    if (in.corrected()) {
        file.save();
    }
}

}  // namespace ostrel
