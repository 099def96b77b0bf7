// The simulated machine behind the motion-card calls: axes, digital I/O,
// cylinders, boards, the chain with its feeders and the insertion head in one
// model, with the knobs and records that tests and corvane-cli use.
//
// Time. The model has no thread of its own and is evaluated lazily: every
// public call first brings the machine to platform::Clock's now (axes exactly
// along their profiles; belts, feeders and sensors in steps of at most
// MachineConfig::stepSeconds of clock time), then acts or answers. So a frozen
// clock freezes the machine, Clock::advance() moves it, and a scaled clock
// runs it faster. One mutex serialises every call; any thread may call.
//
// The d1000_* functions of machine/d1000.h drive SimulatedMachine::instance().
//
// Signals (logical numbers of the wiring list, see io_wiring.h):
// - Cylinders (travel times in MachineConfig::cylinders): CTA (output 0) ->
//   inputs 8 "CTA-Target" / 9 "CTA-Origin"; forfex seat (output 2, on = up)
//   -> input 4 "Forfex-Seat Origin" (active while down); forfex (output 3) ->
//   input 0 "Forfex-Seat Target" (active while the cut is made); load lift
//   (output 15, on = up) -> 19 origin / 20 target; unload lift (16) -> 21 /
//   22; board fixing (target while outputs 10 and 11 are both off) -> input 14
//   "Pcb fixxing". At power-on every cylinder rests at the end its (off)
//   output commands: all at their origin, the board fixing closed.
// - Boards (TransportConfig): with "Ask for Pcb" (17) on and the load lift down
//   for previousMachineDelay, the previous machine leaves a board at the load
//   lift's entry (checkpoint 1, input 15). Belts: 13 load lift, 12 workdesk,
//   14 unload lift. A board stops at the end of the load lift (checkpoint 2,
//   input 16) unless the lift is up; on the workdesk it stops at the stopper
//   ("Pcb arrive workdesk", 13) unless "The Pcb fixxing 2" (11) is on, and does
//   not move while the fixing is fully closed; it enters the unload lift
//   (checkpoints 17, 18) only while that lift is up, and leaves it for the next
//   machine only while the lift is down and "Receive the next section needs"
//   (23) is active. Each belt carries the boards whose centre lies on it.
// - Chain and feeders (ChainConfig): the chain position is the L axis's
//   physical position. Station s stands firstStationToCta + 2 (s - 1) pitches
//   before the CTA. A station output that stays on for dropOnSeconds (50 ms)
//   drops one component at its station, once per on-period, while the feeder
//   holds parts: switching on, reading the confirmation and switching off
//   at once drops nothing; every on-period of 50 ms or more drops one. The
//   station input is active while the output is on and the feeder holds
//   parts, from the moment the output goes on. "Feeder Return Detection "
//   (12, active high) is active while no station output is on and none went
//   off in the last returnSeconds.
// - Head: when the CTA reaches its target it takes the component standing at
//   the CTA (within ctaTolerance pitches) into the head; components carried
//   further fall off the chain. When the forfex reaches its target while the
//   head holds a component, the component is inserted into the board on the
//   workdesk; each lead is seen with probability 1 - leadFailureRate and then
//   holds "Left-Check" (2) / "Right-Check" (3) active for leadSignalSeconds.
// - Head-down events: H going below HeadConfig::headDownThreshold (physical,
//   from its origin); a head already below it at power-on does not count.
// - The machine does nothing by itself on an emergency stop or an open door:
//   those are inputs for the program. Faults at a given time: scheduleButton
//   and scheduleSafeDoor; any other timing is the caller's.
//
// The d1000_* functions always use instance(); tests may also build their own
// SimulatedMachine and call its members directly.
//
// Axes: card axis numbers 0..7 (X Y D1 D2 H P L, 7 spare), four per card.
// Positions in the knobs and records are in the axis unit (mm), physical
// positions measured from the origin switch; the card's command position is
// physical - offset (d1000_set_command_pos sets the offset; it is the power-on
// position at power-on, so the command counter starts at 0). Done codes: 0
// moving, 1 normal end (also a home move stopped on its origin), 2 after
// d1000_immediate_stop, 3 stopped at a limit switch, 4 after d1000_decel_stop.
// A move into an active limit switch ends at once with 3; a move away from it
// runs. A home move stops at once where its origin switch comes on (a home
// move started on the origin ends at once with 1). Stopping an axis at rest
// leaves its done code as it was. Positions are whole pulses. A new move replaces a running one
// from the current position at the new start speed. A linear move stops both axes together (both
// get 3 when one meets a limit; a stop call on either stops both). The S-profile parameter is
// stored but the S shape is fixed. Limits and origins are exact windows; there is no switch
// hysteresis.
//
// Missing cards (MachineConfig::cards < 2): calls on their axes and bits
// return kErrorNoSuchPoint, d1000_check_done returns kErrorNoSuchPoint too (so
// a waiting loop ends), position and status reads return 0, input reads
// return the inactive level and output reads 1 (off).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "sim/machine/board_transport.h"
#include "sim/machine/feeder_chain.h"
#include "sim/machine/io_wiring.h"
#include "sim/machine/machine_config.h"
#include "sim/machine/machine_records.h"
#include "sim/machine/sim_axis.h"
#include "sim/machine/sim_cylinder.h"

namespace corvane::sim {

class SimulatedMachine {
  public:
    static constexpr int kOk = 0;
    static constexpr int kErrorNoSuchPoint = -1;  // axis or bit out of range or on a missing card
    static constexpr int kErrorBadArgument = -2;  // zero speed, bad axis list, ...

    SimulatedMachine();
    explicit SimulatedMachine(const MachineConfig& config);
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;

    // The process-wide machine behind the d1000_* functions. It is never
    // destroyed, so workers may call it until the process ends.
    static SimulatedMachine& instance();

    // Back to power-on with `config`: everything at its power-on state, the
    // records, injected faults and scheduled actions cleared.
    void reset(const MachineConfig& config = MachineConfig{});
    MachineConfig config() const;
    // Brings the model to the clock's now (every other call does this too).
    void update();

    // ---- The motion-card calls (the same arguments and results as d1000_*) ----
    int boardInit();
    int setPulseOutputMode(int16_t axis, int32_t mode);
    int setSProfile(int16_t axis, double sPara);
    int startTMove(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                   double accelTime);
    int startSMove(int16_t axis, int32_t distance, int32_t startSpeed, int32_t maxSpeed,
                   double accelTime);
    int startTaMove(int16_t axis, int32_t target, double startSpeed, double maxSpeed,
                    double accelTime);
    int startSaMove(int16_t axis, int32_t target, int32_t startSpeed, int32_t maxSpeed,
                    double accelTime);
    int startTvMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);
    int startSvMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);
    int homeMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime);
    int startTLine(int16_t totalAxes, const int16_t* axes, const int32_t* distances,
                   int32_t startSpeed, int32_t maxSpeed, double accelTime);
    int startTaLine(int16_t totalAxes, const int16_t* axes, const int32_t* targets,
                    int32_t startSpeed, int32_t maxSpeed, double accelTime);
    int checkDone(int16_t axis);
    int32_t getCommandPos(int16_t axis);
    int setCommandPos(int16_t axis, double position);
    int getAxisStatus(int16_t axis);
    int decelStop(int16_t axis);
    int immediateStop(int16_t axis);
    int inBit(int16_t bitNo);
    int getOutBit(int16_t bitNo);
    int outBit(int16_t bitNo, int16_t level);

    // ---- The operator and the neighbouring machines ----
    // Push buttons hold their input active while pressed ("Em-Stop" latches
    // like the real mushroom button: it stays pressed until released).
    void pressButton(Button button);
    void releaseButton(Button button);
    bool buttonPressed(Button button);
    // Press now, release `seconds` of clock time later.
    void tapButton(Button button, double seconds = 0.1);
    // Press (true) or release a button when Clock::seconds() reaches `atSeconds`.
    void scheduleButton(Button button, bool pressed, double atSeconds);
    // The safe door; "Safe door" is active while it is closed. Default closed.
    void setSafeDoorClosed(bool closed);
    bool safeDoorClosed();
    void scheduleSafeDoor(bool closed, double atSeconds);
    // The next machine asks for boards ("Receive the next section needs") and
    // takes them while it asks. Default TransportConfig::nextMachineAsks.
    void setNextMachineAsking(bool asking);
    bool nextMachineAsking();
    // The previous machine answers "Ask for Pcb". Default previousMachineSupplies.
    void setPreviousMachineSupplying(bool supplying);
    bool previousMachineSupplying();
    // Hand work on the line: put a board on the workdesk at the stopper (its
    // id, or nullopt when the workdesk is occupied); take boards away (count).
    std::optional<int> placeBoardOnWorkdesk();
    int removeBoardsFromLoadLift();
    int removeBoardsFromWorkdesk();
    int removeBoardsFromUnloadLift();

    // ---- Faults (each can be switched off again; clearFaults() ends them all) ----
    // The next board from the previous machine is a double board: when it
    // leaves the load lift a second board stays behind, lying across both
    // load-lift checkpoints, until removeBoardsFromLoadLift().
    void injectDoubleBoard();
    // Parts held by a station's feeder (0 = empty: it never drops nor confirms).
    void setFeederParts(int station, long parts);
    long feederParts(int station);
    // Probability that a lead is not seen at a cut, each lead on its own.
    void setLeadFailureRate(double rate);
    double leadFailureRate();
    // The next cuts see exactly these leads, in order, before the failure rate
    // applies again.
    void queueLeadResult(bool leftSeen, bool rightSeen);
    // A jammed cylinder sticks halfway to its commanded end; a slowed one takes
    // `factor` times its travel time.
    void setCylinderJammed(Cylinder cylinder, bool jammed);
    bool cylinderJammed(Cylinder cylinder);
    void setCylinderSlowdown(Cylinder cylinder, double factor);
    // Inputs: stick at a level (it reads `level` whatever happens), invert (it
    // reads the other level), release. A stuck level wins over an inversion.
    void stickInput(Input input, int level);
    void stickInputBit(int libraryBit, int level);
    void invertInput(Input input, bool inverted);
    void invertInputBit(int libraryBit, bool inverted);
    void releaseInput(Input input);
    void releaseInputBit(int libraryBit);
    // Ends every fault: inputs released, cylinders freed at normal speed,
    // feeders refilled to their configured parts, lead failure rate and the
    // neighbours back to the configuration, queued lead results and an armed
    // double board dropped. Buttons, door and boards on the line are kept.
    void clearFaults();

    // ---- Test set-up ----
    // Puts an axis at rest at a physical position (axis unit) without
    // touching its command offset.
    void placeAxis(Axis axis, double position);

    // ---- State now ----
    double axisPosition(Axis axis);         // physical, axis unit
    double axisCommandPosition(Axis axis);  // command position, axis unit
    int pulseOutputMode(Axis axis);         // as set by d1000_set_pls_outmode
    double sProfileParameter(Axis axis);    // as set by d1000_set_s_profile
    int inputLevel(Input input);            // what d1000_in_bit reads
    bool inputActive(Input input);
    int inputBitLevel(int libraryBit);
    bool outputOn(Output output);
    int outputBitLevel(int libraryBit);
    bool stationOutputOn(int station);
    double cylinderPosition(Cylinder cylinder);  // 0 origin .. 1 target
    std::optional<int> headComponentStation();   // station of the component in the head
    std::vector<ChainComponent> chainComponents();
    std::vector<BoardOnLine> boardsOnLine();

    // ---- Records ----
    std::vector<InsertionRecord> insertions();
    // Stations of the components inserted into one board, in order.
    std::vector<int> insertedStations(int boardId);
    std::vector<BoardRecord> boards();
    int boardsDelivered();
    std::vector<HeadDownEvent> headDownEvents();
    std::vector<PlatformStop> platformStops();
    // Every change of an output bit's level (writes of the level it already
    // has are not logged), oldest first.
    std::vector<OutputChange> outputLog();
    std::vector<ComponentLoss> lostComponents();
    MachineCounters counters();
    // Components dropped by station 1..12 (index station - 1).
    std::array<int, kStationCount> stationDrops();
    // Forgets insertions, head-down events, platform stops, output changes,
    // losses and placements (boards and counters stay).
    void clearRecords();

    // ---- The board under the camera (board_scene.h) ----
    // Replaces the scene of the configuration; the rest of the machine stays.
    void setBoardScene(const BoardSceneConfig& scene);
    // What the camera sees now.
    CameraSnapshot cameraSnapshot();
    // Where the shaft stood at each cut made while a board lay on the workdesk.
    std::vector<Placement> placements();

  private:
    struct InputOverride {
        std::optional<int> stuck;
        bool inverted = false;
    };
    struct Scheduled {
        int64_t time = 0;
        bool door = false;  // else a button
        int button = 0;
        bool value = false;
    };

    void resetLocked(const MachineConfig& config);
    void advanceLocked();
    void stepTo(int64_t t);
    void advanceAxes(int64_t from, int64_t to);
    void schedule(const Scheduled& action);

    bool axisPresent(int16_t axis) const;
    bool bitPresent(int bitNo) const;
    int startSingle(int16_t axis, SimAxis::MoveKind kind, const SpeedProfile& profile,
                    int direction, double target);
    int startLine(int16_t totalAxes, const int16_t* axes, const int32_t* values, bool absolute,
                  int32_t startSpeed, int32_t maxSpeed, double accelTime);
    // A relative (distance) or absolute (command target) single-axis move.
    int startPointToPoint(int16_t axis, bool relative, int32_t value, double startSpeed,
                          double maxSpeed, double accelTime, RampShape shape);
    int startConstant(int16_t axis, int32_t startSpeed, int32_t maxSpeed, double accelTime,
                      RampShape shape, SimAxis::MoveKind kind);
    void separate(int axis);
    void recordPlatformStop(int64_t t, int doneCode);
    double commandUnits(int axis, int64_t t) const;
    double physicalUnits(int axis, int64_t t) const;

    bool outputOnLocked(Output output) const;
    void applyOutputs();
    bool namedInputActive(Input input) const;
    int inputLevelLocked(int libraryBit) const;
    void reachedTarget(Cylinder cylinder);
    void cut();
    bool leadSeen();
    BoardTransport::Drive drive() const;
    double chainPosition(int64_t t) const;

    mutable std::mutex mutex_;
    MachineConfig config_;
    int64_t time_ = 0;  // clock nanoseconds the model has reached
    int64_t stepNs_ = 1'000'000;
    int cards_ = 2;

    std::array<SimAxis, kAxisCount> axes_{};
    std::array<SimCylinder, kCylinderCount> cylinders_{};
    std::array<bool, kCylinderCount> cylinderAtTarget_{};
    std::array<int, kMaxLibraryBit + 1> outputs_{};
    std::array<InputOverride, kMaxLibraryBit + 1> overrides_{};
    std::array<bool, kButtonCount> buttons_{};
    bool doorClosed_ = true;
    std::vector<Scheduled> schedule_;  // by time

    BoardTransport transport_;
    FeederChain chain_;
    std::optional<FeederChain::Component> head_;
    std::mt19937_64 random_;
    double leadFailureRate_ = 0;
    std::deque<std::pair<bool, bool>> queuedLeads_;
    int64_t leftLeadUntil_ = 0;
    int64_t rightLeadUntil_ = 0;
    bool headDown_ = false;

    std::vector<InsertionRecord> insertions_;
    std::vector<HeadDownEvent> headDownEvents_;
    std::vector<PlatformStop> platformStops_;
    std::deque<OutputChange> outputLog_;
    std::vector<ComponentLoss> losses_;
    MachineCounters counters_;
    std::shared_ptr<const BoardSceneConfig> scene_;
    std::vector<Placement> placements_;
};

}  // namespace corvane::sim
