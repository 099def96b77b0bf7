// The machine's digital signals: every input and output with its two names,
// its place on the motion cards and its active level.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace corvane {

inline constexpr int kStationCount = 12;

// Logical numbers of `Outputs`.
enum OutputIndex : int {
    kOutCta = 0,
    kOutPaperCut = 1,
    kOutForfexSeat = 2,
    kOutForfex = 3,
    kOutCameraLight = 4,
    kOutWorkdeskLight = 5,
    kOutRedLight = 6,
    kOutYellowLight = 7,
    kOutGreenLight = 8,
    kOutHeadPositionIndicator = 9,
    kOutPcbFixing1 = 10,
    kOutPcbFixing2 = 11,
    kOutWorkdeskBelt = 12,
    kOutLoadLiftBelt = 13,
    kOutUnloadLiftBelt = 14,
    kOutLoadLift = 15,
    kOutUnloadLift = 16,
    kOutAskForPcb = 17,
    kOutBuzzer = 18,
    kOutPaperCuttingFrontCylinder = 19,
    kOutputCount = 20
};

// Logical numbers of `Inputs`.
enum InputIndex : int {
    kInForfexSeatTarget = 0,
    kInForfexManual = 1,
    kInLeftCheck = 2,
    kInRightCheck = 3,
    kInForfexSeatOrigin = 4,
    kInStart = 5,
    kInStop = 6,
    kInEmStop = 7,
    kInCtaTarget = 8,
    kInCtaOrigin = 9,
    kInHReturnOrigin = 10,
    kInSafeDoor = 11,
    kInFeederReturnDetection = 12,
    kInPcbArriveWorkdesk = 13,
    kInPcbFixing = 14,
    kInLoadLiftCheckpoint1 = 15,
    kInLoadLiftCheckpoint2 = 16,
    kInUnloadLiftCheckpoint1 = 17,
    kInUnloadLiftCheckpoint2 = 18,
    kInLoadLiftOrigin = 19,
    kInLoadLiftTarget = 20,
    kInUnloadLiftOrigin = 21,
    kInUnloadLiftTarget = 22,
    kInNextSectionNeeds = 23,
    kInputCount = 24
};

// Every input read holds InputLock around its card call; every output read
// or write holds OutputLock.
std::mutex& InputLock();
std::mutex& OutputLock();

// Fields shared by inputs and outputs.
class IoPoint {
public:
    void Set(const std::string& englishName, const std::string& chineseName, uint16_t card,
             uint16_t bit, uint16_t activeLevel);

    const std::string& englishName() const { return englishName_; }
    const std::string& chineseName() const { return chineseName_; }
    // The name in the current display language.
    const std::string& name() const;
    uint16_t card() const { return card_; }
    uint16_t bit() const { return bit_; }
    uint16_t activeLevel() const { return activeLevel_; }
    // Bit number handed to the card library: card * 32 + bit.
    int16_t libraryBit() const { return static_cast<int16_t>(card_ * 32 + bit_); }

private:
    std::string englishName_;
    std::string chineseName_;
    uint16_t card_ = 0;
    uint16_t bit_ = 0;
    uint16_t activeLevel_ = 0;
};

class InputPoint : public IoPoint {
public:
    bool IsActive() const;
};

class OutputPoint : public IoPoint {
public:
    bool IsOn() const;
    void On();
    void Off();
    void Switch(bool on) { on ? On() : Off(); }
};

std::vector<std::unique_ptr<OutputPoint>>& Outputs();
std::vector<std::unique_ptr<InputPoint>>& Inputs();
std::vector<std::unique_ptr<OutputPoint>>& StationOutputs();
std::vector<std::unique_ptr<InputPoint>>& StationInputs();

inline OutputPoint& output(int index) { return *Outputs()[static_cast<size_t>(index)]; }
inline InputPoint& input(int index) { return *Inputs()[static_cast<size_t>(index)]; }
// Station n = 1..12.
inline OutputPoint& stationOutput(int station) { return *StationOutputs()[static_cast<size_t>(station - 1)]; }
inline InputPoint& stationInput(int station) { return *StationInputs()[static_cast<size_t>(station - 1)]; }

// Builds the four tables (outputs first, then inputs, then the station
// points), switches the workdesk light on and every station output off.
void BuildIoTables();

// An output that must really switch: set it, give it 5 ms, read it back and
// set it again until the read-back agrees (or the program is quitting).
void EnsureOutput(OutputPoint& point, bool on);

// Every output except the four lamps off, then every station output off.
void SwitchOffAllButLamps();

}  // namespace corvane
