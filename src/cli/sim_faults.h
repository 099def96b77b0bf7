// The faults of a simulated run: what `--fault NAME[=VALUE]` and a scenario's
// `fault` / `clear` switch on the simulated machine.
#pragma once

#include <string>

namespace corvane::sim {
class SimulatedMachine;
}

namespace corvane::cli {

struct Fault {
    std::string name;
    std::string value;  // empty when the fault takes none
};

// Parses "NAME[=VALUE]". Returns "" when the fault is known and its value
// fits, else a message saying what is wrong.
std::string parseFault(const std::string& text, Fault& fault);
// Whether `name` names a fault that `clear` can end.
bool isFaultName(const std::string& name);

// Switches the fault on at clock second `now` (the "-at" faults count their
// seconds from then).
void switchOn(sim::SimulatedMachine& machine, const Fault& fault, double now);
// Ends the fault of that name (with a value: only that station, cylinder or
// input).
void switchOff(sim::SimulatedMachine& machine, const Fault& fault);

}  // namespace corvane::cli
