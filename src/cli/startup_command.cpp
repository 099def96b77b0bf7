// corvane-cli startup: the machine coming up, as the console does it.
#include <cstdio>
#include <filesystem>

#include "app/console.h"
#include "cli/cli_support.h"
#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/program_directory.h"
#include "production/program_source.h"

namespace corvane::cli {

namespace {

class NoProgram : public ProgramSource {
public:
    int count() const override { return 0; }
    ProductionRecord record(int) const override { return {}; }
};

int runStartup(Arguments& args);

const Command kStartup{"startup", "startup [--json]", runStartup};

int runStartup(Arguments& args) {
    if (auto unknown = args.unknownOption()) return usageError(kStartup, "unknown option " + *unknown);
    if (!args.words.empty()) return usageError(kStartup, "no arguments expected");
    NoProgram program;
    bool parametersLoaded = false;
    Json j;
    {
        Console console(program, Console::Options{false});
        console.initialise();
        parametersLoaded = std::filesystem::exists(machineParameterFile());
        j["program_directory"] = platform::programDirectory().string();
        j["cards_found"] = MotionCardCount();
        j["cards_ok"] = console.cardsFound();
        Json axes = Json::array();
        for (const auto& a : Axes()) {
            axes.push_back({{"name", a->name()},
                            {"card_axis", a->cardAxis()},
                            {"pulses_per_unit", a->pulsesPerUnit()},
                            {"start_speed", a->startSpeed()},
                            {"max_speed", a->maxSpeed()},
                            {"position", a->Position()}});
        }
        j["axes"] = axes;
        j["outputs"] = Outputs().size();
        j["inputs"] = Inputs().size();
        j["station_points"] = StationOutputs().size() + StationInputs().size();
        j["parameter_file"] = machineParameterFile().string();
        j["parameters_loaded"] = parametersLoaded;
        j["status"] = console.view().status;
    }
    if (args.json) {
        printJson(j);
        return kExitOk;
    }
    std::printf("Corvane on the simulated machine\n");
    std::printf("motion cards found: %d%s\n", j["cards_found"].get<int>(),
                j["cards_ok"].get<bool>() ? "" : " (two are needed: Start will be refused)");
    std::printf("axes configured:\n");
    for (const auto& a : j["axes"]) {
        std::printf("  %-2s card axis %d, %5d pulses/unit, speeds %.0f..%.0f, position %.3f\n",
                    a["name"].get<std::string>().c_str(), a["card_axis"].get<int>(),
                    a["pulses_per_unit"].get<int>(), a["start_speed"].get<double>(),
                    a["max_speed"].get<double>(), a["position"].get<double>());
    }
    std::printf("I/O: %zu outputs, %zu inputs, %zu station points\n", j["outputs"].get<size_t>(),
                j["inputs"].get<size_t>(), j["station_points"].get<size_t>());
    std::printf("parameters: %s %s\n", j["parameter_file"].get<std::string>().c_str(),
                parametersLoaded ? "loaded" : "not found, defaults in use");
    return kExitOk;
}

const CommandRegistration registration{kStartup};

}  // namespace

}  // namespace corvane::cli
