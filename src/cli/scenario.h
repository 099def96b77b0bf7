// An operator's session on the simulated machine, as a script: what happens
// at which simulated second, and what the operator does the first time
// something happens.
//
//   at SECONDS ACTION[; ACTION...]   seconds counted from the run's first Start
//   on EVENT ACTION[; ACTION...]     EVENT: board N, record N, alarm CODE,
//                                    state CODE (a machine state text shown)
//
// Actions: start, stop, em-stop, alarm-reset, reset (the window's buttons);
// button start|stop|em-stop|h-return|forfex-manual (the machine's push
// buttons, pressed and released); planned N (Modify, the value, Sure);
// door open|close; fault NAME[=VALUE], clear NAME[=VALUE]; operator
// patient|off. `#` starts a comment.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/sim_faults.h"

namespace corvane::cli {

enum class ActionKind {
    Start,
    Stop,
    EmergencyStop,
    AlarmReset,
    Reset,
    Button,
    Planned,
    Door,
    Fault,
    Clear,
    Operator,
};

enum class PushButton { Start, Stop, EmergencyStop, HReturn, ForfexManual };

struct Action {
    ActionKind kind = ActionKind::Start;
    PushButton button = PushButton::Start;
    int number = 0;    // planned: the count
    bool on = false;   // door: open; operator: patient
    Fault fault;       // fault and clear
    std::string text;  // as written, for the run's events
};

enum class EventKind { Board, Record, Alarm, State };

struct ScenarioLine {
    int lineNumber = 0;
    std::optional<double> atSeconds;  // an "at" line
    EventKind event = EventKind::Board;
    int eventValue = 0;
    std::vector<Action> actions;
};

struct Scenario {
    std::vector<ScenarioLine> lines;
};

// Parses a script. On a malformed line returns false with
// "line N: what is wrong" in `error`.
bool parseScenario(const std::string& text, Scenario& scenario, std::string& error);

}  // namespace corvane::cli
