// A whole production run on the simulated machine: the real console and
// workers, with a patient operator at the buttons. Used by corvane-cli
// simulate and the production benchmark.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/scenario.h"
#include "cli/sim_faults.h"
#include "machine/stations.h"
#include "production/production_settings.h"
#include "sim/machine/machine_config.h"

namespace corvane {

class ProgramList;

namespace cli {

// Default clock speed: simulated seconds per real second. Fast enough for a
// test suite, slow enough that the workers' 0.12 s limits hold on a loaded
// two-core machine.
inline constexpr double kDefaultTimeScale = 4.0;

struct SimulationOptions {
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
    // Faults switched on once the machine is up.
    std::vector<Fault> faults;
    // The operator's session; empty: a patient operator only.
    Scenario scenario;
};

// Runs the program (already in `program`) and reports the run as JSON: the
// keys of corvane-cli simulate --json.
nlohmann::ordered_json runSimulation(const SimulationOptions& options, ProgramList& program);

}  // namespace cli
}  // namespace corvane
