// corvane-cli simulate: the real console and workers on the simulated
// machine, with a patient operator at the buttons.
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "app/console.h"
#include "app/program_list_source.h"
#include "cli/cli_support.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "production/alarm_texts.h"
#include "production/chain_feed.h"
#include "program/program_csv.h"
#include "program/program_file.h"
#include "sim/machine/simulated_machine.h"
#include "stats/production_statistics.h"

namespace corvane::cli {

namespace {

using sim::SimulatedMachine;

int runSimulate(Arguments& args);

const Command kSimulate{
    "simulate",
    "simulate PROGRAM(.xls|.csv) [--boards N] [--mode circle|full-step|one-step]\n"
    "    [--plugin normal|sequence|inversions] [--load load|not-load|through]\n"
    "    [--check check|uncheck] [--stations check|uncheck] [--speed 40..100] [--seed N]\n"
    "    [--time-scale X] [--max-seconds S] [--fault NAME[=VALUE]]... [--recover] [--json]\n"
    "  faults: feeder-empty=S lead-fail=P jam=cta|forfex-seat|forfex|load-lift|unload-lift|fixing\n"
    "          next-machine=off double-board em-stop-at=SECONDS door-open-at=SECONDS",
    runSimulate};

// Default clock speed: simulated seconds per real second. Fast enough for a
// test suite, slow enough that the workers' 0.12 s limits hold on a loaded
// two-core machine.
constexpr double kDefaultTimeScale = 4.0;

struct Options {
    std::string program;
    int boards = 1;
    int mode = kModeCircle;
    int plugin = kPlugInNormal;
    int load = kLoad;
    int check = kCheck;
    int stations = kCheck;
    int speed = 90;
    uint64_t seed = 1;
    double timeScale = kDefaultTimeScale;
    double maxSeconds = 3600;
    bool recover = false;
    // Faults.
    std::optional<int> emptyFeeder;
    double leadFailure = 0;
    std::optional<sim::Cylinder> jam;
    bool nextMachineOff = false;
    bool doubleBoard = false;
    std::optional<double> emergencyStopAt;
    std::optional<double> doorOpenAt;
};

bool parseInt(const std::string& text, long low, long high, long& value) {
    size_t used = 0;
    try {
        value = std::stol(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && value >= low && value <= high;
}

bool parseDouble(const std::string& text, double low, double high, double& value) {
    size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && std::isfinite(value) && value >= low && value <= high;
}

template <typename T>
bool choose(const std::optional<std::string>& text, const std::map<std::string, T>& choices, T& value) {
    if (!text) return true;
    auto it = choices.find(*text);
    if (it == choices.end()) return false;
    value = it->second;
    return true;
}

// Returns an error text, or "" when the options are good.
std::string parseOptions(Arguments& args, Options& o) {
    bool missing = false;
    auto take = [&](const char* name) { return args.takeOption(name, &missing); };
    long number = 0;
    if (auto v = take("boards")) {
        if (!parseInt(*v, 1, 1000000, number)) return "--boards needs a whole number of 1 or more";
        o.boards = static_cast<int>(number);
    }
    if (!choose<int>(take("mode"), {{"circle", kModeCircle}, {"full-step", kModeFullStep}, {"one-step", kModeOneStep}}, o.mode))
        return "--mode is circle, full-step or one-step";
    if (!choose<int>(take("plugin"), {{"normal", kPlugInNormal}, {"sequence", kPlugInSequence}, {"inversions", kPlugInInversions}}, o.plugin))
        return "--plugin is normal, sequence or inversions";
    if (!choose<int>(take("load"), {{"load", kLoad}, {"not-load", kNotLoad}, {"through", kJustThroughPcb}}, o.load))
        return "--load is load, not-load or through";
    if (!choose<int>(take("check"), {{"check", kCheck}, {"uncheck", kUncheck}}, o.check))
        return "--check is check or uncheck";
    if (!choose<int>(take("stations"), {{"check", kCheck}, {"uncheck", kUncheck}}, o.stations))
        return "--stations is check or uncheck";
    if (auto v = take("speed")) {
        if (!parseInt(*v, 40, 100, number)) return "--speed is 40 to 100";
        o.speed = static_cast<int>(number);
    }
    if (auto v = take("seed")) {
        if (!parseInt(*v, 0, 0x7fffffffL, number)) return "--seed needs a whole number";
        o.seed = static_cast<uint64_t>(number);
    }
    if (auto v = take("time-scale")) {
        if (!parseDouble(*v, 0.1, 100, o.timeScale)) return "--time-scale is 0.1 to 100";
    }
    if (auto v = take("max-seconds")) {
        if (!parseDouble(*v, 1, 1e6, o.maxSeconds)) return "--max-seconds is 1 to 1000000";
    }
    o.recover = args.takeFlag("recover");
    for (const std::string& fault : args.takeOptions("fault", &missing)) {
        const size_t eq = fault.find('=');
        const std::string name = fault.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : fault.substr(eq + 1);
        double d = 0;
        if (name == "feeder-empty") {
            if (!parseInt(value, 1, kStationCount, number)) return "feeder-empty=S needs a station 1..12";
            o.emptyFeeder = static_cast<int>(number);
        } else if (name == "lead-fail") {
            if (!parseDouble(value, 0, 1, o.leadFailure)) return "lead-fail=P needs a probability 0..1";
        } else if (name == "jam") {
            static const std::map<std::string, sim::Cylinder> kCylinders{
                {"cta", sim::Cylinder::Cta},          {"forfex-seat", sim::Cylinder::ForfexSeat},
                {"forfex", sim::Cylinder::Forfex},    {"load-lift", sim::Cylinder::LoadLift},
                {"unload-lift", sim::Cylinder::UnloadLift}, {"fixing", sim::Cylinder::Fixing}};
            auto it = kCylinders.find(value);
            if (it == kCylinders.end()) return "jam= is cta, forfex-seat, forfex, load-lift, unload-lift or fixing";
            o.jam = it->second;
        } else if (name == "next-machine") {
            if (value != "off") return "next-machine=off is the only choice";
            o.nextMachineOff = true;
        } else if (name == "double-board") {
            if (!value.empty()) return "double-board takes no value";
            o.doubleBoard = true;
        } else if (name == "em-stop-at") {
            if (!parseDouble(value, 0, 1e6, d)) return "em-stop-at=SECONDS needs a time";
            o.emergencyStopAt = d;
        } else if (name == "door-open-at") {
            if (!parseDouble(value, 0, 1e6, d)) return "door-open-at=SECONDS needs a time";
            o.doorOpenAt = d;
        } else {
            return "unknown fault '" + name + "'";
        }
    }
    if (missing) return "an option is missing its value";
    if (auto unknown = args.unknownOption()) return "unknown option " + *unknown;
    if (args.words.size() != 1) return "expected one PROGRAM file";
    o.program = args.words[0];
    return "";
}

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

int runSimulate(Arguments& args) {
    Options options;
    const std::string error = parseOptions(args, options);
    if (!error.empty()) return usageError(kSimulate, error);

    ProgramList& program = programList();
    ProgramReadResult read;
    const std::string lower = [&] {
        std::string l = options.program;
        for (auto& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return l;
    }();
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".csv") == 0) {
        std::ifstream in(options.program, std::ios::binary);
        if (!in) return refuse("corvane-cli simulate: cannot read " + options.program);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        read = readProgramCsv(text, program, ProgramScreen::MainWindow);
    } else {
        read = readProgramFile(options.program, program, ProgramScreen::MainWindow);
    }
    if (!read.loaded()) {
        return refuse(read.message.empty() ? unreadableProgramMessage(options.program) : read.message);
    }

    // The simulated machine at the chosen speed; the run's own operator
    // answers message boxes by reading them out.
    SimulatedMachine& machine = SimulatedMachine::instance();
    sim::MachineConfig config;
    config.seed = options.seed;
    machine.reset(config);
    platform::Clock::setTimeScale(options.timeScale);

    const auto wall0 = std::chrono::steady_clock::now();
    const double sim0 = platform::Clock::seconds();
    const double cpu0 = cpuSeconds();
    Json result;
    Outcome outcome;
    {
        Run run(options, program);
        outcome = run.go();
        const double simSeconds = platform::Clock::seconds() - sim0;
        const double wallSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        result = run.report(outcome, simSeconds, wallSeconds, cpuSeconds() - cpu0);
    }
    if (args.json) {
        printJson(result);
    } else {
        std::printf("outcome: %s\nboards produced: %d, delivered: %d\ninserted: %d (successes %d, failures %d)\n",
                    result["outcome"].get<std::string>().c_str(), result["boards_produced"].get<int>(),
                    result["boards_delivered"].get<int>(), result["inserted"].get<int>(),
                    result["successes"].get<int>(), result["failures"].get<int>());
        std::printf("alarms: %s\nstatus: %s\nsimulated %.1f s in %.1f s (%.1f s of processor)\n",
                    result["alarms"].dump().c_str(), result["last_status"].get<std::string>().c_str(),
                    result["sim_seconds"].get<double>(), result["wall_seconds"].get<double>(),
                    result["cpu_seconds"].get<double>());
    }
    return kExitOk;
}

const CommandRegistration registration{kSimulate};

}  // namespace

}  // namespace corvane::cli
