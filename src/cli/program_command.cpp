// corvane-cli program: show a program file as the machine reads it, convert
// between the workbook and CSV.
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli_support.h"
#include "machine/machine_parameters.h"
#include "production/machine_state.h"
#include "program/program_csv.h"
#include "program/program_file.h"
#include "program/program_rules.h"

namespace corvane::cli {

namespace {

int runProgram(Arguments& args);

const Command kProgram{"program",
                       "program show FILE [--lang en|zh] [--json]\n"
                       "program convert IN OUT [--lang en|zh] (between .xls and .csv, either way)",
                       runProgram};

// Sets the display language from --lang; false for an unknown one.
bool takeLanguage(Arguments& args, std::string& why) {
    bool missing = false;
    const auto language = args.takeOption("lang", &missing);
    if (missing) {
        why = "--lang needs en or zh";
        return false;
    }
    if (!language || *language == "en") {
        Language = kEnglish;
    } else if (*language == "zh") {
        Language = kChinese;
    } else {
        why = "unknown language '" + *language + "' (en or zh)";
        return false;
    }
    return true;
}

// Reads a program as the main window does; a refusal is printed.
bool readOrRefuse(const std::string& path, ProgramList& program, int& exitCode) {
    const ProgramReadResult result = readProgramAnyFile(path, program, ProgramScreen::MainWindow);
    if (result.loaded())
        return true;
    exitCode = refuse(readRefusalText(result));
    return false;
}

int show(Arguments& args) {
    if (args.words.size() != 1)
        return usageError(kProgram, "program show needs exactly one FILE");
    const std::string path = args.words[0];
    ProgramList program;
    int exitCode = kExitOk;
    if (!readOrRefuse(path, program, exitCode))
        return exitCode;
    if (args.json) {
        Json records = Json::array();
        for (const auto& record : program.records())
            records.push_back(record.fields());
        printJson(Json{{"path", path}, {"records", records}});
        return kExitOk;
    }
    for (int c = 0; c < kRecordFieldCount; ++c)
        std::printf("%s%s", c > 0 ? "\t" : "", recordFieldHeader(c));
    std::printf("\n");
    for (const auto& record : program.records()) {
        for (int c = 0; c < kRecordFieldCount; ++c)
            std::printf("%s%s", c > 0 ? "\t" : "", record.field(c).c_str());
        std::printf("\n");
    }
    std::printf("%d records\n", program.count());
    return kExitOk;
}

bool isXlsPath(const std::string& path) {
    return std::filesystem::path(path).extension() == ".xls";
}

int convert(Arguments& args) {
    if (args.words.size() != 2)
        return usageError(kProgram, "program convert needs IN and OUT");
    const std::string in = args.words[0];
    const std::string out = args.words[1];
    if (!isCsvPath(in) && !isXlsPath(in))
        return usageError(kProgram, "IN must end in .xls or .csv");
    if (!isCsvPath(out) && !isXlsPath(out))
        return usageError(kProgram, "OUT must end in .xls or .csv");
    ProgramList program;
    int exitCode = kExitOk;
    if (!readOrRefuse(in, program, exitCode))
        return exitCode;
    std::string error;
    if (isCsvPath(out)) {
        if (!writeProgramCsvFile(out, program, &error))
            return refuse("corvane-cli program: " + error);
        return kExitOk;
    }
    // A workbook is saved as the machine saves it: empty programs are
    // refused and the board gets its closing record at the stop position.
    if (program.empty())
        return refuse(nothingToSaveMessage(ProgramScreen::MainWindow));
    if (std::filesystem::exists(machineParameterFile())) {
        loadMachineParameters(machineParameterFile(), machineParameters());
    }
    appendClosingRecordIfNeeded(program);
    if (!writeProgramFile(out, program, &error)) {
        return refuse(saveFailedMessage(ProgramScreen::MainWindow) + ": " + error);
    }
    return kExitOk;
}

int runProgram(Arguments& args) {
    std::string why;
    if (!takeLanguage(args, why))
        return usageError(kProgram, why);
    if (auto unknown = args.unknownOption())
        return usageError(kProgram, "unknown option " + *unknown);
    if (args.words.empty())
        return usageError(kProgram, "missing sub-command");
    const std::string sub = args.words.front();
    args.words.erase(args.words.begin());
    if (sub == "show")
        return show(args);
    if (sub == "convert")
        return convert(args);
    return usageError(kProgram, "unknown sub-command '" + sub + "'");
}

const CommandRegistration registration{kProgram};

}  // namespace

}  // namespace corvane::cli
