// Configuration of the simulated machine: every knob with its unit, default
// and purpose. A default-constructed MachineConfig is the machine the program
// expects; tests change single fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sim/machine/board_scene.h"
#include "sim/machine/io_wiring.h"

namespace corvane::sim {

// Card axis numbers of the machine's axes (four axes per card).
enum class Axis : int { X = 0, Y = 1, D1 = 2, D2 = 3, H = 4, P = 5, L = 6, Spare = 7 };
inline constexpr int kAxisCount = 8;  // 0..7; axis 7 exists on the card but drives nothing

// The air cylinders with travel times. Each moves between its origin and its
// target end while its output says so.
enum class Cylinder : int {
    Cta = 0,        // output "CTA" -> inputs "CTA-Target", "CTA-Origin"
    ForfexSeat,     // output "Forfex seat" -> input "Forfex-Seat Origin" (seat down)
    Forfex,         // output "Forfex" -> input "Forfex-Seat Target" (cut made)
    LoadLift,       // output "The LoadPcbLift" -> "The LoadPcbLift Origin"/"Target"
    UnloadLift,     // output "The UnloadPcbLift" -> "The UnloadPcbLift Origin"/"Target"
    Fixing,         // target while both "The Pcb fixxing 1/2" are off -> input "Pcb fixxing"
    PaperCut,       // output "Paper-Cut"; no sensor
    PaperCutFront,  // output "Paper cutting front cylinder"; no sensor
};
inline constexpr int kCylinderCount = 8;

// The machine's push buttons (all wired active low).
enum class Button : int { Start = 0, Stop, EmergencyStop, HReturnOrigin, ForfexManual };
inline constexpr int kButtonCount = 5;

// One axis. Positions are physical, in the axis's unit (mm; for the turn
// axes D1/D2 one unit is 18 degrees), measured from the centre of the origin
// switch.
struct AxisConfig {
    double pulsesPerUnit = 1000;  // converts every position below to card pulses
    double negativeLimit = -1e6;  // EL- is active at or below this position
    double positiveLimit = 1e6;   // EL+ is active at or above this position
    double originLow = -0.3;      // the origin switch is active inside [originLow, originHigh]
    double originHigh = 0.3;
    double originPeriod = 0;     // > 0: the origin window repeats every period (chain, rotary axis)
    double powerOnPosition = 0;  // physical position at power-on; the command counter starts at 0
};

// Travel time of one cylinder between its two ends.
struct CylinderConfig {
    double travelSeconds = 0.04;
};

// The board path through the machine, as positions in mm along it (0 is the
// entry of the load lift; boards move downstream, towards larger positions).
// A sensor is active while a board covers its position. A board is carried by
// the belt of the zone that holds its centre.
struct TransportConfig {
    double boardLength = 100;             // mm
    double beltSpeed = 300;               // mm/s, every belt and the next machine's conveyor
    double loadLiftEnd = 300;             // load lift zone [0, 300): belt "The LoadPcbLift Belt "
    double loadCheckpoint1 = 20;          // "The LoadPcbLift pcb checkpoint 1"
    double loadCheckpoint2 = 280;         // "The LoadPcbLift pcb checkpoint 2"
    double entryFront = 105;              // where the previous machine leaves a board's front edge
    double workdeskEnd = 700;             // workdesk zone [300, 700): belt "Workdesk belt"
    double workdeskStopper = 650;         // stopper, raised unless "The Pcb fixxing 2" is on
    double workdeskSensor = 640;          // "Pcb arrive workdesk"
    double unloadLiftEnd = 1000;          // unload lift zone [700, 1000): "The UnloadPcbLift Belt "
    double unloadCheckpoint1 = 720;       // "The UnloadPcbLift pcb checkpoint 1"
    double unloadCheckpoint2 = 980;       // "The UnloadPcbLift pcb checkpoint 2"
    double previousMachineDelay = 0.2;    // s that "Ask for Pcb" must be on before a board comes
    bool previousMachineSupplies = true;  // the previous machine has boards to give
    bool nextMachineAsks = true;          // "Receive the next section needs" and its conveyor
};

// The component chain (moved by the L axis) and the twelve feeders.
struct ChainConfig {
    // mm of L travel per chain pitch.
    double pitch = 12.5;
    // Station 1 stands this many pitches before the CTA; station s stands
    // firstStationToCta + 2 (s - 1). Must match the machine parameter
    // "First Station to CTA" the program runs with.
    int firstStationToCta = 27;
    // Paper cutter position from station 1 (kept, not simulated further).
    int firstStationToCutPaper = 2;
    // Pitches: a component within this of the CTA stands at it; one carried
    // further is lost off the chain.
    double ctaTolerance = 0.25;
    // A station output must stay on this long to drop (once per on-period).
    double dropOnSeconds = 0.05;
    // "Feeder Return Detection " comes back this long after the last station
    // output went off.
    double returnSeconds = 0.02;
    // Parts held by the feeders of stations 1..12.
    std::array<long, kStationCount> feederParts{1000000, 1000000, 1000000, 1000000,
                                                1000000, 1000000, 1000000, 1000000,
                                                1000000, 1000000, 1000000, 1000000};
};

// The insertion head and the lead sensors.
struct HeadConfig {
    // Probability that a lead is not seen at a cut (each lead on its own).
    double leadFailureRate = 0.0;
    // A seen lead keeps "Left-Check" / "Right-Check" active this long from the cut.
    double leadSignalSeconds = 0.06;
    // mm of H (physical, from its origin) below which the head counts as down.
    double headDownThreshold = -1.0;
};

struct MachineConfig {
    int cards = 2;  // motion cards present, 0..2 (d1000_board_init returns it)
    std::array<AxisConfig, kAxisCount> axes{{
        // X: travel -10 .. 460 mm, origin at 0.
        {1000, -10, 460, -0.3, 0.3, 0, 5},
        // Y: travel -250 .. 250 mm. It searches its origin towards positive, so
        // starting below it keeps the reset short.
        {1000, -250, 250, -0.3, 0.3, 0, -5},
        // D1: turns freely, the origin comes round once a turn (20 units = 360 degrees).
        {1000, -1e6, 1e6, -0.2, 0.2, 20, -1},
        // D2: turn with end switches at +-12 units, near enough for its origin
        // search (1.5 units/s for at most 10 s) to reach a switch from anywhere.
        {1000, -12, 12, -0.2, 0.2, 0, -1},
        // H: head, down is negative.
        {1000, -70, 6, -0.2, 0.2, 0, -2},
        // P: press, 166 pulses per mm.
        {166, -70, 6, -0.2, 0.2, 0, -2},
        // L: the chain; an origin mark at every pitch.
        {1000, -1e6, 1e6, -0.3, 0.3, 12.5, 1},
        // Spare axis 7.
        {1000, -1e6, 1e6, -0.3, 0.3, 0, 0},
    }};
    // Bit positions of the axis status word.
    int statusBitNegativeLimit = 0;
    int statusBitPositiveLimit = 1;
    int statusBitOrigin = 2;

    std::array<CylinderConfig, kCylinderCount> cylinders{{
        {0.04},  // CTA
        {0.04},  // forfex seat
        {0.04},  // forfex
        {0.30},  // load lift
        {0.30},  // unload lift
        {0.04},  // board fixing
        {0.03},  // paper cut
        {0.03},  // paper cutting front
    }};
    TransportConfig transport;
    ChainConfig chain;
    HeadConfig head;
    // The board under the camera and the true camera (board_scene.h).
    BoardSceneConfig scene;

    bool safeDoorClosed = true;  // "Safe door" input active while closed
    uint64_t seed = 1;           // seeds the lead failures; same seed, same calls -> same run
    double stepSeconds = 0.001;  // longest step of the belts, feeders and sensors (clock time)
    std::size_t outputLogCapacity = 200000;  // oldest output changes are dropped beyond this
};

}  // namespace corvane::sim
