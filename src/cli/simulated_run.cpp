// The patient operator of a simulated run.
#include "cli/simulated_run.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/console.h"
#include "app/program_list_source.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
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

enum class Outcome { Complete, Alarm, NeedsReset, Stopped, Stalled, TimedOut, ResetFailed };

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Complete:
            return "complete";
        case Outcome::Alarm:
            return "alarm";
        case Outcome::NeedsReset:
            return "needs-reset";
        case Outcome::Stopped:
            return "stopped";
        case Outcome::Stalled:
            return "stalled";
        case Outcome::TimedOut:
            return "timed-out";
        case Outcome::ResetFailed:
            return "reset-failed";
    }
    return "";
}

// How long a person takes: a push button is held this long, and the planned
// count's Modify, typing and Sure take this long.
constexpr double kButtonHoldSeconds = 0.3;
constexpr double kPlannedEditSeconds = 1.5;
// A scripted Reset waits this long at most for the machine to come to rest;
// the scripted person looks again this often.
constexpr double kRestWaitSeconds = 10.0;
constexpr double kPollSeconds = 0.05;

sim::Button simButton(PushButton b) {
    switch (b) {
        case PushButton::Start:
            return sim::Button::Start;
        case PushButton::Stop:
            return sim::Button::Stop;
        case PushButton::EmergencyStop:
            return sim::Button::EmergencyStop;
        case PushButton::HReturn:
            return sim::Button::HReturnOrigin;
        case PushButton::ForfexManual:
            return sim::Button::ForfexManual;
    }
    return sim::Button::Start;
}

// The operator and the run.
class Run {
  public:
    Run(const Options& options, ProgramList& program)
        : o_(options),
          source_(program),
          console_(source_, Console::Options{false}),
          program_(program) {
        fired_.assign(o_.scenario.lines.size(), false);
    }

    Outcome go();
    Json report(Outcome outcome, double simSeconds, double wallSeconds, double cpu);

  private:
    // A scripted line whose actions are under way, one after the other.
    struct Sequence {
        size_t line = 0;
        size_t action = 0;
        int stage = 0;       // a button held, Modify clicked, a reset under way
        double due = 0;      // clock second of the next stage
        double started = 0;  // when the action began
    };

    bool reset();
    bool paused() const;
    void recoverFrom(int alarm);
    // A progress signature: when it stays the same for long, the machine waits.
    std::string signature() const;

    // Window thread, after every message and between them: notes what
    // happened, fires the scenario's lines, goes on with their actions.
    void tick();
    void fire(size_t line);
    // Runs the current stage of a sequence; true when its action is done.
    bool perform(Sequence& sequence, double now);
    bool scriptWaiting() const;
    double nextScriptTime() const;
    void event(const std::string& what);
    double runSeconds() const { return started_ ? platform::Clock::seconds() - t0_ : 0.0; }
    void operatorPresses(const char* what);

    const Options& o_;
    ProgramListSource source_;
    Console console_;
    ProgramList& program_;

    bool started_ = false;
    double t0_ = 0;
    bool patient_ = true;
    bool inTick_ = false;
    std::vector<bool> fired_;
    std::vector<Sequence> running_;
    std::vector<int> recordsSeen_;
    std::vector<uintptr_t> statesSeen_;
    size_t alarmsLogged_ = 0;
    int boardsLogged_ = 0;
    Json events_ = Json::array();
    std::string lastMessage_;  // the last message box or refusal shown
};

bool Run::reset() {
    operatorPresses("reset");
    console_.Reset();
    if (!console_.resetRunning())
        return false;
    console_.runFor(300.0, [&] { return !console_.resetRunning(); });
    return console_.resetSucceeded();
}

bool Run::paused() const {
    const MachineState& state = machineState();
    if (!state.StopRequest.load() && !state.EmergencyStopActive.load())
        return false;
    return console_.productionSuspended() == 1 && console_.chainFeedSuspended() == 1;
}

std::string Run::signature() const {
    const MachineState& s = machineState();
    SimulatedMachine& m = SimulatedMachine::instance();
    const auto c = m.counters();
    return std::to_string(s.BoardsProduced.load()) + "/" + std::to_string(s.CurrentRecord.load()) +
           "/" + std::to_string(s.InsertStep.load()) + "/" +
           std::to_string(s.WorkdeskPhase.load()) + "/" + std::to_string(c.componentsDropped) +
           "/" + std::to_string(c.boardsArrived) + "/" + std::to_string(c.boardsDelivered) + "/" +
           std::to_string(c.paperCuts) + "/" + std::to_string(console_.alarmHistory().size()) +
           "/" + std::to_string(events_.size());
}

void Run::event(const std::string& what) {
    const double t = std::round(runSeconds() * 1000.0) / 1000.0;
    events_.push_back({{"t", t}, {"what", what}});
}

void Run::operatorPresses(const char* what) {
    if (started_)
        event(std::string("operator: ") + what);
}

void Run::recoverFrom(int alarm) {
    SimulatedMachine& m = SimulatedMachine::instance();
    m.clearFaults();
    if (alarm == kAlarmTwoPcbs)
        m.removeBoardsFromLoadLift();
    if (alarm == kAlarmSafeDoor)
        m.setSafeDoorClosed(true);
    // Let the timers see the cleared fault.
    console_.runFor(0.5);
    operatorPresses("alarm-reset");
    console_.AlarmReset();
}

bool Run::scriptWaiting() const {
    if (!running_.empty())
        return true;
    for (bool f : fired_) {
        if (!f)
            return true;
    }
    return false;
}

double Run::nextScriptTime() const {
    double next = 1e300;
    for (size_t i = 0; i < fired_.size(); ++i) {
        const auto& at = o_.scenario.lines[i].atSeconds;
        if (!fired_[i] && at)
            next = std::min(next, t0_ + *at);
    }
    for (const Sequence& s : running_)
        next = std::min(next, s.due);
    return next;
}

void Run::fire(size_t line) {
    fired_[line] = true;
    running_.push_back({line, 0, 0, platform::Clock::seconds()});
}

bool Run::perform(Sequence& sequence, double now) {
    SimulatedMachine& m = SimulatedMachine::instance();
    const Action& a = o_.scenario.lines[sequence.line].actions[sequence.action];
    if (sequence.stage == 0)
        event(a.text);
    switch (a.kind) {
        case ActionKind::Start:
            console_.Start();
            if (machineState().StopRequest.load())
                event(a.text + ": refused, " + console_.view().status);
            return true;
        case ActionKind::Stop:
            console_.Stop();
            return true;
        case ActionKind::EmergencyStop:
            console_.EmergencyStop();
            return true;
        case ActionKind::AlarmReset:
            console_.AlarmReset();
            return true;
        case ActionKind::Reset:
            // A person waits for the machine to come to rest, presses Reset
            // and watches the homing to its end.
            if (sequence.stage == 0) {
                sequence.stage = 1;
                sequence.started = now;
            }
            if (sequence.stage == 1) {
                if (!paused() && now - sequence.started < kRestWaitSeconds) {
                    sequence.due = now + kPollSeconds;
                    return false;
                }
                lastMessage_.clear();
                console_.Reset();
                if (!console_.resetRunning()) {
                    // The first refusal shows in the status line, the others
                    // in a message box.
                    event(a.text + ": refused, " +
                          (lastMessage_.empty() ? console_.view().status : lastMessage_));
                    return true;
                }
                sequence.stage = 2;
            }
            if (console_.resetRunning()) {
                sequence.due = now + kPollSeconds;
                return false;
            }
            event(console_.resetSucceeded() ? "reset done" : "reset failed");
            return true;
        case ActionKind::Button:
            if (sequence.stage == 0) {
                m.pressButton(simButton(a.button));
                sequence.stage = 1;
                sequence.due = now + kButtonHoldSeconds;
                return false;
            }
            m.releaseButton(simButton(a.button));
            return true;
        case ActionKind::Planned:
            // Modify is usable only while the machine is stopped; the count
            // is taken when Sure is clicked.
            if (!console_.view().plannedCountEnabled) {
                event(a.text + ": refused, Modify is disabled while the machine runs");
                return true;
            }
            if (sequence.stage == 0) {
                sequence.stage = 1;
                sequence.due = now + kPlannedEditSeconds;
                return false;
            }
            console_.setPlannedCount(a.number);
            return true;
        case ActionKind::Door:
            m.setSafeDoorClosed(!a.on);
            return true;
        case ActionKind::Fault:
            switchOn(m, a.fault, now);
            return true;
        case ActionKind::Clear:
            switchOff(m, a.fault);
            return true;
        case ActionKind::Operator:
            patient_ = a.on;
            return true;
    }
    return true;
}

void Run::tick() {
    if (inTick_ || !started_)
        return;
    inTick_ = true;
    const MachineState& state = machineState();
    const auto& alarms = console_.alarmHistory();
    for (; alarmsLogged_ < alarms.size(); ++alarmsLogged_) {
        const int code = alarms[alarmsLogged_];
        event("alarm " + std::to_string(code) + ": " + alarmText(code, kEnglish));
    }
    for (; boardsLogged_ < state.BoardsProduced.load(); ++boardsLogged_) {
        event("board " + std::to_string(boardsLogged_ + 1) + " finished");
    }
    // A board count that went back to 0 is a new run.
    if (state.BoardsProduced.load() < boardsLogged_)
        boardsLogged_ = state.BoardsProduced.load();
    const int record = state.CurrentRecord.load();
    if (std::find(recordsSeen_.begin(), recordsSeen_.end(), record) == recordsSeen_.end()) {
        recordsSeen_.push_back(record);
    }

    const double now = platform::Clock::seconds();
    for (size_t i = 0; i < fired_.size(); ++i) {
        if (fired_[i])
            continue;
        const ScenarioLine& line = o_.scenario.lines[i];
        bool happened = false;
        if (line.atSeconds) {
            happened = now - t0_ >= *line.atSeconds;
        } else if (line.event == EventKind::Board) {
            happened = boardsLogged_ >= line.eventValue;
        } else if (line.event == EventKind::Record) {
            happened = std::find(recordsSeen_.begin(), recordsSeen_.end(), line.eventValue) !=
                       recordsSeen_.end();
        } else if (line.event == EventKind::Alarm) {
            happened = std::find(alarms.begin(), alarms.end(), line.eventValue) != alarms.end();
        } else {
            happened = std::find(statesSeen_.begin(), statesSeen_.end(),
                                 static_cast<uintptr_t>(line.eventValue)) != statesSeen_.end();
        }
        if (happened)
            fire(i);
    }
    for (size_t k = 0; k < running_.size();) {
        Sequence& s = running_[k];
        bool finished = false;
        while (s.due <= platform::Clock::seconds()) {
            if (!perform(s, platform::Clock::seconds()))
                break;
            s.stage = 0;
            if (++s.action == o_.scenario.lines[s.line].actions.size()) {
                finished = true;
                break;
            }
        }
        if (finished) {
            running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(k));
        } else {
            ++k;
        }
    }
    inTick_ = false;
}

Outcome Run::go() {
    SimulatedMachine& m = SimulatedMachine::instance();
    // Message boxes go to stderr and the record of the run; the operator
    // answers Yes to a question.
    platform::setMessageBoxSink([this](const platform::MessageBoxRequest& r) {
        std::fprintf(stderr, "%s\n", r.text.c_str());
        lastMessage_ = r.text;
        if (started_)
            event("message: " + r.text);
        return true;
    });
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

    if (!reset())
        return Outcome::ResetFailed;

    // Faults are switched on once the machine is up.
    const double up = platform::Clock::seconds();
    for (const Fault& f : o_.faults)
        switchOn(m, f, up);
    if (o_.load == kNotLoad)
        m.placeBoardOnWorkdesk();

    // The script's seconds count from this first Start; it sees every window
    // message as the window handles it, so "on record N" acts while that
    // record is still under way.
    console_.setMessageHandled([this](uint32_t message, uintptr_t code) {
        if (message == MSG_STATE_TEXT &&
            std::find(statesSeen_.begin(), statesSeen_.end(), code) == statesSeen_.end()) {
            statesSeen_.push_back(code);
        }
        tick();
    });

    t0_ = platform::Clock::seconds();
    started_ = true;
    operatorPresses("start");
    console_.Start();
    std::string lastSignature = signature();
    double lastChange = platform::Clock::seconds();
    size_t alarmsSeen = 0;
    int boardsSeen = 0;
    for (;;) {
        const double until = std::min(platform::Clock::seconds() + 0.25, nextScriptTime());
        console_.runFor(std::max(0.0, until - platform::Clock::seconds()), [&] {
            tick();
            return paused() || console_.alarmHistory().size() != alarmsSeen ||
                   machineState().BoardsProduced.load() != boardsSeen ||
                   nextScriptTime() <= platform::Clock::seconds();
        });
        tick();
        const double now = platform::Clock::seconds();
        const std::string sig = signature();
        if (sig != lastSignature) {
            lastSignature = sig;
            lastChange = now;
        }
        if (now - t0_ > o_.maxSeconds)
            return Outcome::TimedOut;
        // A machine that stands still while nothing is due in the script.
        if (now - lastChange > 120.0 && nextScriptTime() > now + 1.0)
            return Outcome::Stalled;

        const MachineState& state = machineState();
        alarmsSeen = console_.alarmHistory().size();
        boardsSeen = state.BoardsProduced.load();
        // The operator waits while a scripted person is busy at the machine.
        if (!running_.empty())
            continue;
        const int alarm = state.AlarmCode.load();
        const bool planReached = state.BoardsProduced.load() >= s.PlannedBoards.load();
        if (alarm == kAlarmProductionComplete && planReached && !scriptWaiting()) {
            // The last board leaves the unload lift on its own.
            console_.runFor(15.0, [&] {
                return paused() && m.boardsDelivered() >= machineState().BoardsProduced.load();
            });
            return Outcome::Complete;
        }
        if (!paused())
            continue;
        if (!patient_) {
            if (scriptWaiting())
                continue;
            if (alarm >= 0)
                return Outcome::Alarm;
            return state.EmergencyStopActive.load() || s.NeedsReset.load() ? Outcome::NeedsReset
                                                                           : Outcome::Stopped;
        }
        if (alarm == kAlarmProductionComplete) {
            if (planReached)
                continue;  // the script still has lines to come
            // The count was raised after the run finished: a new run.
            operatorPresses("alarm-reset");
            console_.AlarmReset();
            if (!reset())
                return Outcome::ResetFailed;
            operatorPresses("start");
            console_.Start();
            continue;
        }
        if (state.EmergencyStopActive.load() || m.buttonPressed(sim::Button::EmergencyStop)) {
            if (!o_.recover) {
                if (scriptWaiting())
                    continue;
                console_.runFor(1.0);
                return Outcome::NeedsReset;
            }
            m.releaseButton(sim::Button::EmergencyStop);
            console_.runFor(1.0, [&] { return console_.productionSuspended() == 1; });
            operatorPresses("alarm-reset");
            console_.AlarmReset();
            if (!reset())
                return Outcome::ResetFailed;
            operatorPresses("start");
            console_.Start();
            continue;
        }
        if (alarm > 0 && alarm != kAlarmPlugInFailureLeft && alarm != kAlarmPlugInFailureRight) {
            if (!o_.recover) {
                if (scriptWaiting())
                    continue;
                return Outcome::Alarm;
            }
            recoverFrom(alarm);
            if (s.NeedsReset.load() && !reset())
                return Outcome::ResetFailed;
            operatorPresses("start");
            console_.Start();
            continue;
        }
        if (s.NeedsReset.load()) {
            // Left needing a reset by the script: its own lines go on.
            if (scriptWaiting())
                continue;
            return Outcome::NeedsReset;
        }
        if (o_.load == kNotLoad && state.CurrentRecord.load() == program_.count()) {
            // The operator changes the board by hand at the closing record.
            m.removeBoardsFromWorkdesk();
            m.placeBoardOnWorkdesk();
        }
        operatorPresses("start");
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
        stations.push_back({{"station", s},
                            {"attempted", c.attempted},
                            {"succeeded", c.succeeded},
                            {"failed", c.failed}});
    }
    j["stations"] = stations;
    Json footprints = Json::object();
    for (const auto& [text, c] : counters.footprints()) {
        footprints[text] = {
            {"attempted", c.attempted}, {"succeeded", c.succeeded}, {"failed", c.failed}};
    }
    j["footprints"] = footprints;
    Json insertions = Json::array();
    for (const auto& board : m.boards()) {
        if (board.jammed)
            continue;
        insertions.push_back(board.insertedStations);
    }
    j["insertions"] = insertions;
    j["events"] = events_;
    Json waiting = Json::array();
    for (size_t i = 0; i < fired_.size(); ++i) {
        if (!fired_[i])
            waiting.push_back(o_.scenario.lines[i].lineNumber);
    }
    j["script_waiting"] = waiting;
    // The run ends as the operator ends the day: Exit, and Yes to its
    // question, writes the report.
    console_.setMessageHandled(nullptr);
    console_.requestExit();
    platform::setMessageBoxSink(nullptr);
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
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    Json result = run.report(outcome, simSeconds, wallSeconds, cpuSeconds() - cpu0);
    platform::Clock::setTimeScale(1.0);
    return result;
}

}  // namespace corvane::cli
