// The program named on the console's command line, opened as the main
// window opens one: a workbook, or a program kept as comma-separated text.
#pragma once

#include <string_view>

#include "program/program_list.h"

namespace corvane {

class ProductionStatistics;

// Returns whether the program was loaded. A ".csv" file is read as it is
// named; any other name goes through the main window's open (its extension
// becomes "xls").
bool openProgramAtStartUp(std::string_view path, ProgramList& program,
                          ProductionStatistics& statistics);

}  // namespace corvane
