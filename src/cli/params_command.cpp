// corvane-cli params: show and edit the machine parameter file.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

#include "cli/cli_support.h"
#include "machine/machine_parameters.h"
#include "platform/program_directory.h"

namespace corvane::cli {

namespace {

using json = Json;

const char* const kAxisNames[kAxisCount] = {"X", "Y", "D1", "D2", "H", "P", "L"};

json toJson(const MachineParameters& p, bool loaded) {
    json j;
    j["loaded"] = loaded;
    json axes = json::array();
    for (int i = 0; i < kAxisCount; ++i) {
        const auto& a = p.axes[static_cast<size_t>(i)];
        axes.push_back({{"name", kAxisNames[i]},
                        {"step_distance", a.stepDistance},
                        {"start_speed", a.startSpeed},
                        {"max_speed", a.maxSpeed}});
    }
    j["axes"] = axes;
    j["mark_min_radius"] = p.markMinRadius;
    j["mark_max_radius"] = p.markMaxRadius;
    j["binarisation_threshold"] = p.binarisationThreshold;
    j["x_ratio"] = p.xRatio;
    j["x_offset"] = p.xOffset;
    j["y_offset"] = p.yOffset;
    j["y_ratio"] = p.yRatio;
    j["camera_to_shaft"] = p.cameraToShaft;
    j["xy_stop_position"] = p.xyStopPosition;
    j["xy_turn_position"] = p.xyTurnPosition;
    j["height_h1"] = p.heightH1;
    j["height_h2"] = p.heightH2;
    j["height_p"] = p.heightP;
    j["offset_d1d2p"] = p.offsetD1D2P;
    j["distribution_interval_ms"] = p.distributionIntervalMs;
    j["angle_compensation"] = p.angleCompensation;
    j["platform_speed"] = p.platformSpeed;
    j["workdesk_pcb_delay_ms"] = p.workdeskPcbDelayMs;
    j["left_lift_pcb_delay_ms"] = p.leftLiftPcbDelayMs;
    j["h_down_delay_ms"] = p.hDownDelayMs;
    j["head_frame"] = p.headFrame;
    j["first_station_to_cta"] = p.firstStationToCta;
    j["first_station_to_cutpaper"] = p.firstStationToCutPaper;
    j["match_area"] = p.matchArea;
    j["material_verification"] = p.materialVerification;
    j["auto_feed_on_failure"] = p.autoFeedOnFailure;
    return j;
}

void fromJson(const json& j, MachineParameters& p) {
    for (int i = 0; i < kAxisCount; ++i) {
        const json& a = j["axes"][static_cast<size_t>(i)];
        p.axes[static_cast<size_t>(i)] = {a["step_distance"], a["start_speed"], a["max_speed"]};
    }
    p.markMinRadius = j["mark_min_radius"];
    p.markMaxRadius = j["mark_max_radius"];
    p.binarisationThreshold = j["binarisation_threshold"];
    p.xRatio = j["x_ratio"];
    p.xOffset = j["x_offset"];
    p.yOffset = j["y_offset"];
    p.yRatio = j["y_ratio"];
    p.cameraToShaft = j["camera_to_shaft"];
    p.xyStopPosition = j["xy_stop_position"];
    p.xyTurnPosition = j["xy_turn_position"];
    p.heightH1 = j["height_h1"];
    p.heightH2 = j["height_h2"];
    p.heightP = j["height_p"];
    p.offsetD1D2P = j["offset_d1d2p"];
    p.distributionIntervalMs = j["distribution_interval_ms"];
    p.angleCompensation = j["angle_compensation"];
    p.platformSpeed = j["platform_speed"];
    p.workdeskPcbDelayMs = j["workdesk_pcb_delay_ms"];
    p.leftLiftPcbDelayMs = j["left_lift_pcb_delay_ms"];
    p.hDownDelayMs = j["h_down_delay_ms"];
    p.headFrame = j["head_frame"];
    p.firstStationToCta = j["first_station_to_cta"];
    p.firstStationToCutPaper = j["first_station_to_cutpaper"];
    p.matchArea = j["match_area"];
    p.materialVerification = j["material_verification"];
    p.autoFeedOnFailure = j["auto_feed_on_failure"];
}

// Ranges the machine gives some of its parameters; other integers take any
// 32-bit value, other reals any finite value.
struct Range {
    const char* key;
    double low;
    double high;
};
constexpr Range kRanges[] = {
    {"binarisation_threshold", 0, 255}, {"platform_speed", 0, 20}, {"head_frame", 0, 2},
    {"material_verification", 0, 1},   {"auto_feed_on_failure", 0, 1},
};

// Applies KEY=VALUE to the parameters' JSON form; returns an error text or "".
std::string assign(json& j, const std::string& assignment) {
    const size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) {
        return "expected KEY=VALUE, got '" + assignment + "'";
    }
    const std::string key = assignment.substr(0, eq);
    const std::string text = assignment.substr(eq + 1);

    json* slot = &j;
    size_t start = 0;
    std::string top;
    while (start <= key.size()) {
        size_t dot = key.find('.', start);
        if (dot == std::string::npos) dot = key.size();
        const std::string part = key.substr(start, dot - start);
        if (top.empty()) top = part;
        if (slot->is_object()) {
            if (part.empty() || !slot->contains(part)) return "unknown key '" + key + "'";
            slot = &(*slot)[part];
        } else if (slot->is_array()) {
            size_t used = 0;
            unsigned long index = 0;
            try {
                index = std::stoul(part, &used);
            } catch (...) {
                return "unknown key '" + key + "'";
            }
            if (used != part.size() || index >= slot->size()) return "unknown key '" + key + "'";
            slot = &(*slot)[index];
        } else {
            return "unknown key '" + key + "'";
        }
        start = dot + 1;
    }
    if (!slot->is_number()) {
        return slot->is_string() ? "key '" + key + "' cannot be changed"
                                 : "key '" + key + "' needs an index (for example " + key + ".0)";
    }
    double value = 0;
    size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (...) {
        used = 0;
    }
    if (text.empty() || used != text.size() || !std::isfinite(value)) {
        return "bad value '" + text + "' for " + key;
    }
    if (slot->is_number_integer()) {
        if (value != std::floor(value) || value < std::numeric_limits<int32_t>::min() ||
            value > std::numeric_limits<int32_t>::max()) {
            return "bad value '" + text + "' for " + key + ": a whole number is needed";
        }
    }
    for (const Range& r : kRanges) {
        if (top == r.key && (value < r.low || value > r.high)) {
            return "bad value '" + text + "' for " + key + ": allowed " + std::to_string(int(r.low)) +
                   " to " + std::to_string(int(r.high));
        }
    }
    if (slot->is_number_integer()) {
        *slot = static_cast<int32_t>(value);
    } else {
        *slot = value;
    }
    return "";
}

void printText(const MachineParameters& p, bool loaded, const std::filesystem::path& file) {
    std::printf("%s: %s\n", file.string().c_str(), loaded ? "loaded" : "not loaded, defaults shown");
    std::printf("%-4s %14s %12s %12s\n", "axis", "step distance", "start speed", "max speed");
    for (int i = 0; i < kAxisCount; ++i) {
        const auto& a = p.axes[static_cast<size_t>(i)];
        std::printf("%-4s %14.3f %12.3f %12.3f\n", kAxisNames[i], a.stepDistance, a.startSpeed,
                    a.maxSpeed);
    }
    const json j = toJson(p, loaded);
    for (auto it = j.begin(); it != j.end(); ++it) {
        if (it.key() == "loaded" || it.key() == "axes" || it.key() == "angle_compensation") continue;
        std::printf("%-26s %s\n", it.key().c_str(), it.value().dump().c_str());
    }
    std::printf("angle_compensation (angle: x, y), nonzero entries:\n");
    bool any = false;
    for (int a = -90; a <= 90; ++a) {
        const auto& c = p.compensation(a);
        if (c[0] != 0 || c[1] != 0) {
            std::printf("  %4d: %.4f, %.4f\n", a, c[0], c[1]);
            any = true;
        }
    }
    if (!any) std::printf("  none\n");
}

int runParams(Arguments& args);

const Command kParams{"params",
                      "params show [FILE] [--json]\n"
                      "params set FILE KEY=VALUE... (arrays by index: xy_stop_position.0=12.5)",
                      runParams};

int show(Arguments& args) {
    if (args.words.size() > 1) return usageError(kParams, "too many arguments");
    const std::filesystem::path file =
        args.words.empty() ? machineParameterFile() : std::filesystem::path(args.words[0]);
    MachineParameters p;
    const bool loaded = loadMachineParameters(file, p);
    if (args.json) {
        printJson(toJson(p, loaded));
    } else {
        printText(p, loaded, file);
    }
    return kExitOk;
}

int set(Arguments& args) {
    if (args.words.size() < 2) return usageError(kParams, "params set needs FILE and KEY=VALUE");
    const std::filesystem::path file = args.words[0];
    MachineParameters p;
    std::error_code ec;
    if (std::filesystem::exists(file, ec) && !loadMachineParameters(file, p)) {
        return refuse("corvane-cli params: " + file.string() +
                      " is not a machine parameter file; left untouched");
    }
    json j = toJson(p, true);
    for (size_t i = 1; i < args.words.size(); ++i) {
        const std::string error = assign(j, args.words[i]);
        if (!error.empty()) return refuse("corvane-cli params: " + error + "; file untouched");
    }
    fromJson(j, p);
    if (!saveMachineParameters(file, p)) return kExitRefused;
    if (args.json) {
        printJson(toJson(p, true));
    }
    return kExitOk;
}

int runParams(Arguments& args) {
    if (auto unknown = args.unknownOption()) return usageError(kParams, "unknown option " + *unknown);
    if (args.words.empty()) return usageError(kParams, "missing sub-command");
    const std::string sub = args.words.front();
    args.words.erase(args.words.begin());
    if (sub == "show") return show(args);
    if (sub == "set") return set(args);
    return usageError(kParams, "unknown sub-command '" + sub + "'");
}

const CommandRegistration registration{kParams};

}  // namespace

}  // namespace corvane::cli
