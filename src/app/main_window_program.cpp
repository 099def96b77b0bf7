// The main window's open: statistics handoff, read, plan and statistics.
#include "app/main_window_program.h"

#include "platform/message_box.h"
#include "program/program_file.h"
#include "program/program_rules.h"
#include "stats/production_statistics.h"
#include "stats/statistics_report.h"

namespace corvane {

bool openProgramInMainWindow(std::string_view chosen, ProgramList& program,
                             ProductionStatistics& statistics) {
    // The report names the outgoing program: the statistics keep the name it
    // was loaded under, not the path just chosen.
    statistics.CountProgramChange();
    const ReportResult report = statistics.SaveAndClose();
    if (!report.error.empty())
        platform::messageBox(reportFailedMessage(report));

    const bool loaded = openProgram(chosen, program, ProgramScreen::MainWindow);
    // Also after a refusal: the program is empty now, and the plan must not
    // describe the one it replaced.
    rebuildChainFeedPlan(program);
    statistics.SetProgram(program.path(), program.count());
    return loaded;
}

}  // namespace corvane
