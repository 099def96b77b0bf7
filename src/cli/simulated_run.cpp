// The patient operator of a simulated run.
#include "cli/simulated_run.h"

#include <sys/resource.h>

#include <chrono>
#include <filesystem>

#include "app/console.h"
#include "app/program_list_source.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "production/alarm_texts.h"
#include "program/program_list.h"
#include "sim/machine/simulated_machine.h"
#include "stats/production_statistics.h"

namespace corvane::cli {

namespace {

using Json = nlohmann::ordered_json;
using sim::SimulatedMachine;
using Options = SimulationOptions;

// Heights and positions that fit the simulated machine, used when the program
// directory holds no parameter file: the head goes down to insert and the
// press follows it.
void simulatedMachineParameters(MachineParameters& p) {
    p.heightH1 = -8.0;
    p.heightH2 = -15.0;
    p.heightP = -10.0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

enum class Outcome { Complete, Alarm, NeedsReset, Stalled, TimedOut, ResetFailed };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Complete: return "complete";
        case Outcome::Alarm: return "alarm";
        case Outcome::NeedsReset: return "needs-reset";
        case Outcome::Stalled: return "stalled";
        case Outcome::TimedOut: return "timed-out";
        case Outcome::ResetFailed: return "reset-failed";
    }
    return "";
}

// The operator and the run.
class Run {
public:
    Run(const Options& options, ProgramList& program)
        : o_(options), source_(program), console_(source_, Console::Options{false}), program_(program) {}

    Outcome go();
    Json report(Outcome outcome, double simSeconds, double wallSeconds, double cpu);

private:
    bool reset();
    bool paused() const;
    void recoverFrom(int alarm);
    // A progress signature: when it stays the same for long, the machine waits.
    std::string signature() const;

    const Options& o_;
    ProgramListSource source_;
    Console console_;
    ProgramList& program_;
};

bool Run::reset() {
    console_.Reset();
    if (!console_.resetRunning()) return false;
    console_.runFor(300.0, [&] { return !console_.resetRunning(); });
    return console_.resetSucceeded();
}

bool Run::paused() const {
    const MachineState& state = machineState();
    if (!state.StopRequest.load() && !state.EmergencyStopActive.load()) return false;
    return console_.productionSuspended() == 1 || console_.chainFeedSuspended() == 1;
}

std::string Run::signature() const {
    const MachineState& s = machineState();
    SimulatedMachine& m = SimulatedMachine::instance();
    const auto c = m.counters();
    return std::to_string(s.BoardsProduced.load()) + "/" + std::to_string(s.CurrentRecord.load()) + "/" +
           std::to_string(s.InsertStep.load()) + "/" + std::to_string(s.WorkdeskPhase.load()) + "/" +
           std::to_string(c.componentsDropped) + "/" + std::to_string(c.boardsArrived) + "/" +
           std::to_string(c.boardsDelivered) + "/" + std::to_string(c.paperCuts) + "/" +
           std::to_string(console_.alarmHistory().size());
}

void Run::recoverFrom(int alarm) {
    SimulatedMachine& m = SimulatedMachine::instance();
    m.clearFaults();
    if (alarm == kAlarmTwoPcbs) m.removeBoardsFromLoadLift();
    if (alarm == kAlarmSafeDoor) m.setSafeDoorClosed(true);
    // Let the timers see the cleared fault.
    console_.runFor(0.5);
    console_.AlarmReset();
}

Outcome Run::go() {
    SimulatedMachine& m = SimulatedMachine::instance();
    console_.initialise();
    if (!std::filesystem::exists(machineParameterFile())) {
        simulatedMachineParameters(machineParameters());
    }
    ProductionSettings& s = console_.settings();
    s.ProductionMode = o_.mode;
    s.PlugInMode = o_.plugin;
    s.LoadMode = o_.load;
    s.PlugInCheck = o_.check;
    s.StationCheck = o_.stations;
    console_.statistics().SetProgram(program_.path(), program_.count());
    console_.setProductionSpeed(o_.speed);
    console_.setPlannedCount(o_.boards);
    console_.programChanged();

    if (!reset()) return Outcome::ResetFailed;

    // Faults are switched on once the machine is up.
    const double t0 = platform::Clock::seconds();
    if (o_.emptyFeeder) m.setFeederParts(*o_.emptyFeeder, 0);
    if (o_.leadFailure > 0) m.setLeadFailureRate(o_.leadFailure);
    if (o_.jam) m.setCylinderJammed(*o_.jam, true);
    if (o_.nextMachineOff) m.setNextMachineAsking(false);
    if (o_.doubleBoard) m.injectDoubleBoard();
    if (o_.emergencyStopAt) m.scheduleButton(sim::Button::EmergencyStop, true, t0 + *o_.emergencyStopAt);
    if (o_.doorOpenAt) m.scheduleSafeDoor(false, t0 + *o_.doorOpenAt);
    if (o_.load == kNotLoad) m.placeBoardOnWorkdesk();

    console_.Start();
    std::string lastSignature = signature();
    double lastChange = platform::Clock::seconds();
    size_t alarmsSeen = 0;
    for (;;) {
        console_.runFor(0.25, [&] { return paused() || console_.alarmHistory().size() != alarmsSeen; });
        const double now = platform::Clock::seconds();
        const std::string sig = signature();
        if (sig != lastSignature) {
            lastSignature = sig;
            lastChange = now;
        }
        if (now - t0 > o_.maxSeconds) return Outcome::TimedOut;
        if (now - lastChange > 120.0) return Outcome::Stalled;

        const MachineState& state = machineState();
        const auto& alarms = console_.alarmHistory();
        alarmsSeen = alarms.size();
        const int alarm = state.AlarmCode.load();
        if (alarm == kAlarmProductionComplete) {
            // The last board leaves the unload lift on its own.
            console_.runFor(15.0, [&] {
                return paused() && m.boardsDelivered() >= machineState().BoardsProduced.load();
            });
            return Outcome::Complete;
        }
        if (state.EmergencyStopActive.load() || m.buttonPressed(sim::Button::EmergencyStop)) {
            if (!paused() && !state.EmergencyStopActive.load()) continue;
            if (!o_.recover) {
                console_.runFor(1.0);
                return Outcome::NeedsReset;
            }
            m.releaseButton(sim::Button::EmergencyStop);
            console_.runFor(1.0, [&] { return console_.productionSuspended() == 1; });
            console_.AlarmReset();
            if (!reset()) return Outcome::ResetFailed;
            console_.Start();
            continue;
        }
        if (alarm > 0 && alarm != kAlarmPlugInFailureLeft && alarm != kAlarmPlugInFailureRight) {
            if (!o_.recover) {
                console_.runFor(0.5, [&] { return paused(); });
                return Outcome::Alarm;
            }
            if (!paused()) continue;
            recoverFrom(alarm);
            if (console_.settings().NeedsReset.load() && !reset()) return Outcome::ResetFailed;
            console_.Start();
            continue;
        }
        if (!paused()) continue;
        if (o_.load == kNotLoad && state.CurrentRecord.load() == program_.count()) {
            // The operator changes the board by hand at the closing record.
            m.removeBoardsFromWorkdesk();
            m.placeBoardOnWorkdesk();
        }
        console_.Start();
    }
}

Json Run::report(Outcome outcome, double simSeconds, double wallSeconds, double cpu) {
    SimulatedMachine& m = SimulatedMachine::instance();
    const MachineState& state = machineState();
    ProductionCounters& counters = console_.counters();
    Json j;
    j["outcome"] = outcomeName(outcome);
    j["boards_produced"] = state.BoardsProduced.load();
    j["boards_delivered"] = m.boardsDelivered();
    j["inserted"] = counters.inserted();
    const StatisticsRecord statistics = console_.statistics().Current();
    j["successes"] = statistics.successes;
    j["failures"] = statistics.failures;
    j["alarms"] = console_.alarmHistory();
    j["last_status"] = console_.view().status;
    j["needs_reset"] = console_.settings().NeedsReset.load() != 0;
    j["sim_seconds"] = simSeconds;
    j["wall_seconds"] = wallSeconds;
    j["cpu_seconds"] = cpu;
    j["components_per_hour"] = simSeconds > 0 ? counters.inserted() * 3600.0 / simSeconds : 0.0;
    Json stations = Json::array();
    for (int s = 1; s <= kStationCount; ++s) {
        const InsertionCounts c = counters.station(s);
        stations.push_back({{"station", s}, {"attempted", c.attempted}, {"succeeded", c.succeeded}, {"failed", c.failed}});
    }
    j["stations"] = stations;
    Json footprints = Json::object();
    for (const auto& [text, c] : counters.footprints()) {
        footprints[text] = {{"attempted", c.attempted}, {"succeeded", c.succeeded}, {"failed", c.failed}};
    }
    j["footprints"] = footprints;
    Json insertions = Json::array();
    for (const auto& board : m.boards()) {
        if (board.jammed) continue;
        insertions.push_back(board.insertedStations);
    }
    j["insertions"] = insertions;
    // The run ends as the operator ends the day: Exit writes the report.
    console_.requestExit();
    const auto& written = console_.lastReport();
    j["report_file"] = written && written->written ? Json(written->file.string()) : Json(nullptr);
    return j;
}

}  // namespace

Json runSimulation(const SimulationOptions& options, ProgramList& program) {
    SimulatedMachine& machine = SimulatedMachine::instance();
    sim::MachineConfig config;
    config.seed = options.seed;
    machine.reset(config);
    platform::Clock::setTimeScale(options.timeScale);

    const auto wall0 = std::chrono::steady_clock::now();
    const double sim0 = platform::Clock::seconds();
    const double cpu0 = cpuSeconds();
    Run run(options, program);
    const Outcome outcome = run.go();
    const double simSeconds = platform::Clock::seconds() - sim0;
    const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    Json result = run.report(outcome, simSeconds, wallSeconds, cpuSeconds() - cpu0);
    platform::Clock::setTimeScale(1.0);
    return result;
}

}  // namespace corvane::cli
