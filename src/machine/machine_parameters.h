// The machine parameters: the settings that survive a restart, kept in the
// fixed-layout binary file "machine.wps" of the program directory.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr int kAxisCount = 7;
inline constexpr int kAngleCount = 181;  // whole angles -90 .. +90

struct AxisSpeeds {
    double stepDistance = 0;
    double startSpeed = 0;
    double maxSpeed = 0;

    bool operator==(const AxisSpeeds&) const = default;
};

struct MachineParameters {
    // Per axis X, Y, D1, D2, H, P, L: manual step distance and speeds.
    std::array<AxisSpeeds, kAxisCount> axes{{{10, 200, 600},
                                             {10, 400, 600},
                                             {5, 500, 700},
                                             {5, 500, 700},
                                             {0.1, 80, 400},
                                             {0.1, 500, 1000},
                                             {12.5, 90, 230}}};
    // Mark-point search.
    int32_t markMinRadius = 15;
    int32_t markMaxRadius = 25;
    int32_t binarisationThreshold = 80;
    // Camera calibration.
    double xRatio = 33.698;
    double xOffset = 0.54;
    double yOffset = 0.499;
    double yRatio = 33.631;
    std::array<double, 2> cameraToShaft{0, 0};
    // "XY Stop-Position", "XY turn-Position".
    std::array<double, 2> xyStopPosition{0, 0};
    std::array<double, 2> xyTurnPosition{0, 0};
    // "Height Of H(1)", "Height Of H(2)", "Height Of P".
    double heightH1 = 0;
    double heightH2 = 0;
    double heightP = 0;
    // "Offset D1D2P": D1, D2, P.
    std::array<double, 3> offsetD1D2P{0, 0, 0};
    // Distribution head interval.
    int32_t distributionIntervalMs = 100;
    std::array<int32_t, 3> reservedA{100, 100, 100};
    // Entry a + 90: X and Y compensation for the whole angle a.
    std::array<std::array<double, 2>, kAngleCount> angleCompensation{};
    std::array<int32_t, 2> reservedB{200, 20};
    // "Platform speed", 0..20.
    double platformSpeed = 10.0;
    int32_t workdeskPcbDelayMs = 200;   // "Workdesk pcb delay"
    int32_t leftLiftPcbDelayMs = 200;   // "Left lift pcb delay"
    int32_t reservedC = 200;
    int32_t hDownDelayMs = 20;          // "H-Axis go down delay"
    int32_t headFrame = 0;              // head frame overlay 0..2
    int32_t firstStationToCta = 27;     // "First Station to CTA"
    int32_t firstStationToCutPaper = 2; // "First Station to CutPaper"
    int32_t matchArea = 40;
    int32_t materialVerification = 0;   // "Material Number Verification "
    int32_t autoFeedOnFailure = 0;      // "Automatic feeding if failure"

    // Compensation of a whole angle -90..90 (clamped into the table).
    const std::array<double, 2>& compensation(int angle) const;

    bool operator==(const MachineParameters&) const = default;
};

// Layout of the file.
inline constexpr int32_t kParameterStartMark = 85;
inline constexpr int32_t kParameterEndMark = 119;
inline constexpr int32_t kParameterPayloadLength = 3276;
inline constexpr size_t kParameterFileSize = 3288;

// The file's bytes for these parameters (always 3288 bytes).
std::string encodeMachineParameters(const MachineParameters& parameters);

// Applies a file's bytes: accepted when the first word is 85 and the word at
// 8 + stored length is 119. Fields are read in the fixed layout from offset 8;
// fields the data does not fully hold keep their values; then the corrections
// run. Returns false (nothing changed) when the file is refused.
bool decodeMachineParameters(std::string_view bytes, MachineParameters& parameters);

// The process-wide parameters that the screens and the workers read.
MachineParameters& machineParameters();

// "machine.wps" in the program directory.
std::filesystem::path machineParameterFile();

// Reads the file into `parameters`; on failure shows "<path> open Failure!" and
// leaves them as they were. Returns true when the file was applied.
bool loadMachineParameters(const std::filesystem::path& file, MachineParameters& parameters);
// Writes the file atomically; on failure shows the same message and keeps the
// old file. Returns true when written.
bool saveMachineParameters(const std::filesystem::path& file, const MachineParameters& parameters);

// Start-up and exit: the program-directory file, the process-wide parameters
// and the axes' step distances and speeds.
bool LoadMachineParameters();
void SaveMachineParameters();

}  // namespace corvane
