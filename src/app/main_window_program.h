// Opening a program from the main window: the statistics of the outgoing
// program are reported and closed first, the chain feed plan and the
// statistics learn the new program afterwards.
#pragma once

#include <string_view>

#include "program/program_list.h"

namespace corvane {

class ProductionStatistics;

// Returns whether the program was loaded (the main window then shows its
// path). A report that could not be written is shown as a message.
bool openProgramInMainWindow(std::string_view chosen, ProgramList& program,
                             ProductionStatistics& statistics);

}  // namespace corvane
