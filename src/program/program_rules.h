// The rules every screen applies to the program: the records the program
// makes itself, the closing record of a saved program, and the Station edit
// of the program list view.
#pragma once

#include <array>
#include <functional>
#include <string_view>

#include "program/program_list.h"

namespace corvane {

// Mark record taught in the editor at platform position (x, y).
InsertionRecord makeMarkRecord(int number, double x, double y, double width);
// The "stop" record a save appends; the platform goes to `stopPosition`
// ("XY Stop-Position").
InsertionRecord makeClosingRecord(int number, const std::array<double, 2>& stopPosition);

// Whether the last record is a "stop" or "continue" record.
bool endsBoard(const ProgramList& program);
// Appends the closing record unless the program is empty or already ends the
// board; returns whether it appended one.
bool appendClosingRecordIfNeeded(ProgramList& program, const std::array<double, 2>& stopPosition);
// The same with the machine's "XY Stop-Position".
bool appendClosingRecordIfNeeded(ProgramList& program);

// Station cell edited in the main window's program list view: accepted when
// the text is a whole number from 1 to 12 that differs from the old one and the
// record is a "check" or "uncheck" record; the record then takes it and the
// chain feed plan is rebuilt. Returns whether it was accepted.
bool editStation(ProgramList& program, int row, std::string_view text);

// The chain feed plan derived from the program lives with the production
// side, which installs how to rebuild it; the program side calls it whenever
// the program changed in a way the plan depends on.
using ChainFeedPlanRebuild = std::function<void(const ProgramList& program)>;
void setChainFeedPlanRebuild(ChainFeedPlanRebuild rebuild);
void rebuildChainFeedPlan(const ProgramList& program);

}  // namespace corvane
