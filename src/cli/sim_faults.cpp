// Faults of a simulated run, by name.
#include "cli/sim_faults.h"

#include <cmath>
#include <map>

#include "sim/machine/simulated_machine.h"

namespace corvane::cli {

namespace {

using sim::Cylinder;
using sim::SimulatedMachine;

const std::map<std::string, Cylinder>& cylinders() {
    static const std::map<std::string, Cylinder> kCylinders{{"cta", Cylinder::Cta},
                                                            {"forfex-seat", Cylinder::ForfexSeat},
                                                            {"forfex", Cylinder::Forfex},
                                                            {"load-lift", Cylinder::LoadLift},
                                                            {"unload-lift", Cylinder::UnloadLift},
                                                            {"fixing", Cylinder::Fixing}};
    return kCylinders;
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

bool number(const std::string& text, double low, double high, double& value) {
    size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (...) {
        return false;
    }
    return used == text.size() && std::isfinite(value) && value >= low && value <= high;
}

// "input=N:active|inactive": logical input N read at that state whatever
// the machine does.
bool stuckInput(const std::string& value, int& input, bool& active) {
    const size_t colon = value.find(':');
    if (colon == std::string::npos)
        return false;
    long n = 0;
    if (!wholeNumber(value.substr(0, colon), 0, sim::kInputCount - 1, n))
        return false;
    const std::string state = value.substr(colon + 1);
    if (state != "active" && state != "inactive")
        return false;
    input = static_cast<int>(n);
    active = state == "active";
    return true;
}

}  // namespace

bool isFaultName(const std::string& name) {
    static const char* const kNames[] = {
        "feeder-empty", "lead-fail",        "jam",          "slow",       "input",
        "next-machine", "previous-machine", "double-board", "em-stop-at", "door-open-at"};
    for (const char* n : kNames) {
        if (name == n)
            return true;
    }
    return false;
}

std::string parseFault(const std::string& text, Fault& fault) {
    const size_t eq = text.find('=');
    fault.name = text.substr(0, eq);
    fault.value = eq == std::string::npos ? "" : text.substr(eq + 1);
    const std::string& name = fault.name;
    const std::string& value = fault.value;
    long n = 0;
    double d = 0;
    if (name == "feeder-empty") {
        if (!wholeNumber(value, 1, sim::kStationCount, n))
            return "feeder-empty=S needs a station 1..12";
    } else if (name == "lead-fail") {
        if (!number(value, 0, 1, d))
            return "lead-fail=P needs a probability 0..1";
    } else if (name == "jam") {
        if (cylinders().count(value) == 0)
            return "jam= is cta, forfex-seat, forfex, load-lift, unload-lift or fixing";
    } else if (name == "slow") {
        const size_t colon = value.find(':');
        if (colon == std::string::npos || cylinders().count(value.substr(0, colon)) == 0 ||
            !number(value.substr(colon + 1), 1, 1000, d))
            return "slow=CYLINDER:FACTOR needs a cylinder and a factor 1..1000";
    } else if (name == "input") {
        int input = 0;
        bool active = false;
        if (!stuckInput(value, input, active))
            return "input=N:active|inactive needs an input 0..23";
    } else if (name == "next-machine" || name == "previous-machine") {
        if (value != "off")
            return name + "=off is the only choice";
    } else if (name == "double-board") {
        if (!value.empty())
            return "double-board takes no value";
    } else if (name == "em-stop-at" || name == "door-open-at") {
        if (!number(value, 0, 1e6, d))
            return name + "=SECONDS needs a time";
    } else {
        return "unknown fault '" + name + "'";
    }
    return "";
}

void switchOn(SimulatedMachine& m, const Fault& f, double now) {
    const std::string& v = f.value;
    if (f.name == "feeder-empty") {
        m.setFeederParts(std::stoi(v), 0);
    } else if (f.name == "lead-fail") {
        m.setLeadFailureRate(std::stod(v));
    } else if (f.name == "jam") {
        m.setCylinderJammed(cylinders().at(v), true);
    } else if (f.name == "slow") {
        const size_t colon = v.find(':');
        m.setCylinderSlowdown(cylinders().at(v.substr(0, colon)), std::stod(v.substr(colon + 1)));
    } else if (f.name == "input") {
        int input = 0;
        bool active = false;
        stuckInput(v, input, active);
        const auto which = static_cast<sim::Input>(input);
        const int activeLevel = sim::wiring(which).activeLevel;
        m.stickInput(which, active ? activeLevel : 1 - activeLevel);
    } else if (f.name == "next-machine") {
        m.setNextMachineAsking(false);
    } else if (f.name == "previous-machine") {
        m.setPreviousMachineSupplying(false);
    } else if (f.name == "double-board") {
        m.injectDoubleBoard();
    } else if (f.name == "em-stop-at") {
        m.scheduleButton(sim::Button::EmergencyStop, true, now + std::stod(v));
    } else if (f.name == "door-open-at") {
        m.scheduleSafeDoor(false, now + std::stod(v));
    }
}

void switchOff(SimulatedMachine& m, const Fault& f) {
    const std::string& v = f.value;
    const sim::MachineConfig config = m.config();
    if (f.name == "feeder-empty") {
        for (int s = 1; s <= sim::kStationCount; ++s) {
            if (v.empty() || std::to_string(s) == v) {
                m.setFeederParts(s, std::max(m.feederParts(s),
                                             config.chain.feederParts[static_cast<size_t>(s - 1)]));
            }
        }
    } else if (f.name == "lead-fail") {
        m.setLeadFailureRate(config.head.leadFailureRate);
    } else if (f.name == "jam" || f.name == "slow") {
        for (const auto& [name, cylinder] : cylinders()) {
            if (!v.empty() && v.substr(0, v.find(':')) != name)
                continue;
            if (f.name == "jam") {
                m.setCylinderJammed(cylinder, false);
            } else {
                m.setCylinderSlowdown(cylinder, 1.0);
            }
        }
    } else if (f.name == "input") {
        for (int i = 0; i < sim::kInputCount; ++i) {
            if (v.empty() || v.substr(0, v.find(':')) == std::to_string(i)) {
                m.releaseInput(static_cast<sim::Input>(i));
            }
        }
    } else if (f.name == "next-machine") {
        m.setNextMachineAsking(true);
    } else if (f.name == "previous-machine") {
        m.setPreviousMachineSupplying(true);
    } else if (f.name == "double-board") {
        // The operator takes the second board off the load lift.
        m.removeBoardsFromLoadLift();
    } else if (f.name == "em-stop-at") {
        m.releaseButton(sim::Button::EmergencyStop);
    } else if (f.name == "door-open-at") {
        m.setSafeDoorClosed(true);
    }
}

}  // namespace corvane::cli
