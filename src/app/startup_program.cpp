// Opening the program of the command line.
#include "app/startup_program.h"

#include <string>

#include "app/main_window_program.h"
#include "platform/message_box.h"
#include "program/program_csv.h"
#include "program/program_rules.h"
#include "stats/production_statistics.h"

namespace corvane {

bool openProgramAtStartUp(std::string_view path, ProgramList& program,
                          ProductionStatistics& statistics) {
    if (!isCsvPath(path))
        return openProgramInMainWindow(path, program, statistics);
    // The statistics record was opened with the window: nothing goes out.
    statistics.CountProgramChange();
    const std::string file(path);
    program.setPath(file);
    const ProgramReadResult result = readProgramAnyFile(file, program, ProgramScreen::MainWindow);
    if (!result.loaded() && !result.message.empty())
        platform::messageBox(result.message);
    rebuildChainFeedPlan(program);
    statistics.SetProgram(program.path(), program.count());
    return result.loaded();
}

}  // namespace corvane
