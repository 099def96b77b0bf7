// corvane-cli simulate: the real console and workers on the simulated
// machine, with a patient operator at the buttons.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/simulated_run.h"
#include "program/program_csv.h"
#include "program/program_file.h"

namespace corvane::cli {

namespace {

int runSimulate(Arguments& args);

const Command kSimulate{
    "simulate",
    "simulate PROGRAM(.xls|.csv) [--boards N] [--mode circle|full-step|one-step]\n"
    "    [--plugin normal|sequence|inversions] [--load load|not-load|through]\n"
    "    [--check check|uncheck] [--stations check|uncheck] [--speed 40..100] [--seed N]\n"
    "    [--time-scale X] [--max-seconds S] [--fault NAME[=VALUE]]... [--recover]\n"
    "    [--script FILE] [--json]\n"
    "  script lines: at SECONDS ACTION[; ACTION...] | on board N|record N|alarm CODE ACTION[; ...]\n"
    "  actions: start stop em-stop alarm-reset reset planned N door open|close\n"
    "           button start|stop|em-stop|h-return|forfex-manual fault NAME[=VALUE] clear NAME\n"
    "           operator patient|off\n"
    "  faults: feeder-empty=S lead-fail=P jam=cta|forfex-seat|forfex|load-lift|unload-lift|fixing\n"
    "          slow=CYLINDER:FACTOR input=N:active|inactive next-machine=off previous-machine=off\n"
    "          double-board em-stop-at=SECONDS door-open-at=SECONDS",
    runSimulate};

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
// A script that does not parse is refused input (exit 1), reported through
// `scriptError`; everything else wrong is a usage error.
std::string parseOptions(Arguments& args, SimulationOptions& o, std::string& programPath,
                         std::string& scriptPath, std::string& scriptError) {
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
    for (const std::string& text : args.takeOptions("fault", &missing)) {
        Fault fault;
        const std::string error = parseFault(text, fault);
        if (!error.empty()) return error;
        o.faults.push_back(fault);
    }
    if (auto file = take("script")) {
        std::ifstream in(*file, std::ios::binary);
        scriptPath = *file;
        if (!in) {
            scriptError = "cannot read it";
            return "";
        }
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        if (!parseScenario(text, o.scenario, scriptError)) return "";
    }
    if (missing) return "an option is missing its value";
    if (auto unknown = args.unknownOption()) return "unknown option " + *unknown;
    if (args.words.size() != 1) return "expected one PROGRAM file";
    programPath = args.words[0];
    return "";
}

int runSimulate(Arguments& args) {
    SimulationOptions options;
    std::string path, scriptPath, scriptError;
    const std::string error = parseOptions(args, options, path, scriptPath, scriptError);
    if (!scriptError.empty()) return refuse("corvane-cli simulate: " + scriptPath + ": " + scriptError);
    if (!error.empty()) return usageError(kSimulate, error);

    ProgramList& program = programList();
    ProgramReadResult read;
    std::string lower = path;
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".csv") == 0) {
        std::ifstream in(path, std::ios::binary);
        if (!in) return refuse("corvane-cli simulate: cannot read " + path);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        read = readProgramCsv(text, program, ProgramScreen::MainWindow);
    } else {
        read = readProgramFile(path, program, ProgramScreen::MainWindow);
    }
    if (!read.loaded()) {
        return refuse(read.message.empty() ? unreadableProgramMessage(path) : read.message);
    }
    program.setPath(path);

    const Json result = runSimulation(options, program);
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
        if (result["report_file"].is_string()) {
            std::printf("report: %s\n", result["report_file"].get<std::string>().c_str());
        }
    }
    return kExitOk;
}

const CommandRegistration registration{kSimulate};

}  // namespace

}  // namespace corvane::cli
