// The machine's wiring as the simulated cards see it: every named input and
// output with its card, bit and active level, and the feeder station points.
#pragma once

#include <optional>
#include <string_view>

namespace corvane::sim {

inline constexpr int kStationCount = 12;
inline constexpr int kBitsPerCard = 32;
inline constexpr int kMaxCards = 2;
// Library bit numbers are card * 32 + bit with bits counted from 1, so the
// highest is 64.
inline constexpr int kMaxLibraryBit = kMaxCards * kBitsPerCard;

// Outputs by their logical number.
enum class Output : int {
    Cta = 0,
    PaperCut = 1,
    ForfexSeat = 2,
    Forfex = 3,
    CameraLight = 4,
    WorkdeskLight = 5,
    RedLight = 6,
    YellowLight = 7,
    GreenLight = 8,
    HeadPositionIndicator = 9,
    PcbFixing1 = 10,
    PcbFixing2 = 11,
    WorkdeskBelt = 12,
    LoadLiftBelt = 13,
    UnloadLiftBelt = 14,
    LoadLift = 15,
    UnloadLift = 16,
    AskForPcb = 17,
    Buzzer = 18,
    PaperCutFront = 19,
};
inline constexpr int kOutputCount = 20;

// Inputs by their logical number.
enum class Input : int {
    ForfexSeatTarget = 0,  // the forfex has made its cut
    ForfexManual = 1,
    LeftCheck = 2,
    RightCheck = 3,
    ForfexSeatOrigin = 4,
    Start = 5,
    Stop = 6,
    EmergencyStop = 7,
    CtaTarget = 8,
    CtaOrigin = 9,
    HReturnOrigin = 10,
    SafeDoor = 11,  // active while the door is closed
    FeederReturn = 12,
    PcbArriveWorkdesk = 13,
    PcbFixing = 14,
    LoadLiftCheckpoint1 = 15,
    LoadLiftCheckpoint2 = 16,
    UnloadLiftCheckpoint1 = 17,
    UnloadLiftCheckpoint2 = 18,
    LoadLiftOrigin = 19,
    LoadLiftTarget = 20,
    UnloadLiftOrigin = 21,
    UnloadLiftTarget = 22,
    NextMachineNeeds = 23,
};
inline constexpr int kInputCount = 24;

struct WiredPoint {
    std::string_view name;  // the English name on the machine's wiring list
    int card = 0;
    int bit = 0;          // counted from 1
    int activeLevel = 0;  // level meaning active (inputs) or on (outputs)

    int libraryBit() const { return card * kBitsPerCard + bit; }
};

const WiredPoint& wiring(Output output);
const WiredPoint& wiring(Input input);
// Station n = 1..12; the station output makes the feeder drop, the station
// input confirms that it holds parts.
WiredPoint stationOutputWiring(int station);
WiredPoint stationInputWiring(int station);

// What an input library bit is wired to.
struct InputSource {
    enum class Kind { Named, Station } kind = Kind::Named;
    int index = 0;  // logical input number, or station 1..12
};
std::optional<InputSource> inputAt(int libraryBit);
// The station whose output sits on a library bit, if any.
std::optional<int> stationOutputAt(int libraryBit);
// Active level of any input bit (inactive bits read the other level); 0 for
// bits wired to nothing, which read 1.
int inputActiveLevel(int libraryBit);

}  // namespace corvane::sim
