// corvane-cli stations: the 12 station rows a program gives.
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli_support.h"
#include "machine/machine_parameters.h"
#include "production/machine_state.h"
#include "program/program_csv.h"
#include "program/station_list.h"

namespace corvane::cli {

namespace {

int runStations(Arguments& args);

const Command kStations{
    "stations",
    "stations FILE [--lang en|zh] [--verification] [--json]\n"
    "  (batch numbers show while material-number verification is on: in machine.wps or "
    "--verification)",
    runStations};

int runStations(Arguments& args) {
    bool missing = false;
    const auto language = args.takeOption("lang", &missing);
    if (missing || (language && *language != "en" && *language != "zh")) {
        return usageError(kStations, "--lang needs en or zh");
    }
    Language = language && *language == "zh" ? kChinese : kEnglish;
    bool verification = args.takeFlag("verification");
    if (auto unknown = args.unknownOption())
        return usageError(kStations, "unknown option " + *unknown);
    if (args.words.size() != 1)
        return usageError(kStations, "stations needs exactly one FILE");
    if (std::filesystem::exists(machineParameterFile())) {
        MachineParameters parameters;
        if (loadMachineParameters(machineParameterFile(), parameters) &&
            parameters.materialVerification != 0) {
            verification = true;
        }
    }

    ProgramList program;
    const ProgramReadResult result =
        readProgramAnyFile(args.words[0], program, ProgramScreen::MainWindow);
    if (!result.loaded())
        return refuse(readRefusalText(result));
    StationTable table;
    table.build(program, verification);

    if (args.json) {
        Json stations = Json::array();
        for (const auto& row : table.rows()) {
            stations.push_back({{"station", row.station},
                                {"name", row.name},
                                {"direction", row.direction},
                                {"width", row.width},
                                {"counts", row.counts},
                                {"height", row.height},
                                {"batch", row.batch}});
        }
        printJson(Json{{"stations", stations}});
        return kExitOk;
    }
    const int columns = verification ? 7 : 6;
    for (int c = 0; c < columns; ++c)
        std::printf("%s%s", c > 0 ? "\t" : "", stationColumnHeader(c));
    std::printf("\n");
    for (const auto& row : table.rows()) {
        std::printf("%d\t%s\t%s\t%s\t%s\t%s", row.station, row.name.c_str(), row.direction.c_str(),
                    row.width.c_str(), row.countsText().c_str(), row.height.c_str());
        if (verification)
            std::printf("\t%s", row.batch.c_str());
        std::printf("\n");
    }
    return kExitOk;
}

const CommandRegistration registration{kStations};

}  // namespace

}  // namespace corvane::cli
