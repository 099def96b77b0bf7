// Reading an operator's scenario.
#include "cli/scenario.h"

#include <cmath>
#include <map>
#include <sstream>

namespace corvane::cli {

namespace {

std::string trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

bool wholeNumber(const std::string& text, long low, long high, long& value) {
    size_t used = 0;
    try {
        value = std::stol(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && value >= low && value <= high;
}

// Returns "" or what is wrong with the action.
std::string parseAction(const std::string& text, Action& a) {
    const std::vector<std::string> w = words(text);
    if (w.empty())
        return "an empty action";
    a.text = text;
    const std::string& verb = w[0];
    auto noArgument = [&](ActionKind kind) -> std::string {
        a.kind = kind;
        return w.size() == 1 ? "" : "'" + verb + "' takes nothing after it";
    };
    if (verb == "start")
        return noArgument(ActionKind::Start);
    if (verb == "stop")
        return noArgument(ActionKind::Stop);
    if (verb == "em-stop")
        return noArgument(ActionKind::EmergencyStop);
    if (verb == "alarm-reset")
        return noArgument(ActionKind::AlarmReset);
    if (verb == "reset")
        return noArgument(ActionKind::Reset);
    if (verb == "button") {
        static const std::map<std::string, PushButton> kButtons{
            {"start", PushButton::Start},
            {"stop", PushButton::Stop},
            {"em-stop", PushButton::EmergencyStop},
            {"h-return", PushButton::HReturn},
            {"forfex-manual", PushButton::ForfexManual}};
        if (w.size() != 2 || kButtons.count(w[1]) == 0)
            return "button is start, stop, em-stop, h-return or forfex-manual";
        a.kind = ActionKind::Button;
        a.button = kButtons.at(w[1]);
        return "";
    }
    if (verb == "planned") {
        long n = 0;
        // The field takes any number; the console makes 0 or less into 1.
        if (w.size() != 2 || !wholeNumber(w[1], -1000000, 1000000, n))
            return "planned needs a whole number";
        a.kind = ActionKind::Planned;
        a.number = static_cast<int>(n);
        return "";
    }
    if (verb == "door") {
        if (w.size() != 2 || (w[1] != "open" && w[1] != "close"))
            return "door is open or close";
        a.kind = ActionKind::Door;
        a.on = w[1] == "open";
        return "";
    }
    if (verb == "fault") {
        if (w.size() != 2)
            return "fault needs NAME[=VALUE]";
        a.kind = ActionKind::Fault;
        return parseFault(w[1], a.fault);
    }
    if (verb == "clear") {
        if (w.size() != 2)
            return "clear needs a fault name";
        a.kind = ActionKind::Clear;
        const size_t eq = w[1].find('=');
        a.fault.name = w[1].substr(0, eq);
        a.fault.value = eq == std::string::npos ? "" : w[1].substr(eq + 1);
        return isFaultName(a.fault.name) ? "" : "unknown fault '" + a.fault.name + "'";
    }
    if (verb == "operator") {
        if (w.size() != 2 || (w[1] != "patient" && w[1] != "off"))
            return "operator is patient or off";
        a.kind = ActionKind::Operator;
        a.on = w[1] == "patient";
        return "";
    }
    return "unknown action '" + verb + "'";
}

// Splits "HEAD REST" at the end of the head: "at 12.5", "on board 3".
std::string parseLine(const std::string& line, ScenarioLine& out) {
    std::istringstream in(line);
    std::string keyword;
    in >> keyword;
    std::string rest;
    if (keyword == "at") {
        std::string seconds;
        in >> seconds;
        size_t used = 0;
        double value = 0;
        try {
            value = std::stod(seconds, &used);
        } catch (...) {
            used = 0;
        }
        if (used == 0 || used != seconds.size() || !std::isfinite(value) || value < 0)
            return "'at' needs a time in seconds, 0 or more";
        out.atSeconds = value;
    } else if (keyword == "on") {
        std::string event, value;
        in >> event >> value;
        static const std::map<std::string, EventKind> kEvents{{"board", EventKind::Board},
                                                              {"record", EventKind::Record},
                                                              {"alarm", EventKind::Alarm},
                                                              {"state", EventKind::State}};
        auto it = kEvents.find(event);
        if (it == kEvents.end())
            return "'on' needs an event: board N, record N, alarm CODE or state CODE";
        long n = 0;
        if (it->second == EventKind::Alarm) {
            if (!wholeNumber(value, 0, 25, n))
                return "'on alarm' needs a code 0..25";
        } else if (it->second == EventKind::State) {
            if (!wholeNumber(value, 0, 6, n))
                return "'on state' needs a code 0..6";
        } else if (!wholeNumber(value, 1, 1000000, n)) {
            return "'on " + event + "' needs a number of 1 or more";
        }
        out.event = it->second;
        out.eventValue = static_cast<int>(n);
    } else {
        return "a line starts with 'at' or 'on'";
    }
    std::getline(in, rest);
    rest = trim(rest);
    if (rest.empty())
        return "no action";
    std::string part;
    std::istringstream actions(rest);
    while (std::getline(actions, part, ';')) {
        Action a;
        const std::string error = parseAction(trim(part), a);
        if (!error.empty())
            return error;
        out.actions.push_back(a);
    }
    return "";
}

}  // namespace

bool parseScenario(const std::string& text, Scenario& scenario, std::string& error) {
    scenario.lines.clear();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        const size_t hash = raw.find('#');
        const std::string line = trim(hash == std::string::npos ? raw : raw.substr(0, hash));
        if (line.empty())
            continue;
        ScenarioLine parsed;
        parsed.lineNumber = number;
        const std::string problem = parseLine(line, parsed);
        if (!problem.empty()) {
            error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
        scenario.lines.push_back(std::move(parsed));
    }
    return true;
}

}  // namespace corvane::cli
