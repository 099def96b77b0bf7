// Records made by the program, the closing record, the Station edit rule.
#include "program/program_rules.h"

#include <mutex>

#include "platform/number_text.h"

namespace corvane {

namespace {

std::mutex rebuildMutex;
ChainFeedPlanRebuild installedRebuild;

}  // namespace

InsertionRecord makeMarkRecord(int number, double x, double y, double width) {
    return InsertionRecord({formatInt(number), formatReal(x, 3), formatReal(y, 3), "0", "1", "", "",
                            "", formatReal(width, 1), "0", commandWord(ProgramCommand::Mark), ""});
}

InsertionRecord makeClosingRecord(int number, const std::array<double, 2>& stopPosition) {
    return InsertionRecord({formatInt(number), formatReal(stopPosition[0], 3),
                            formatReal(stopPosition[1], 3), "0", "1", "", "", "", "2.5", "0",
                            commandWord(ProgramCommand::Stop), ""});
}

bool endsBoard(const ProgramList& program) {
    std::lock_guard lock(program.mutex());
    const InsertionRecord* last = program.at(program.count() - 1);
    return last != nullptr &&
           (last->is(ProgramCommand::Stop) || last->is(ProgramCommand::Continue));
}

bool appendClosingRecordIfNeeded(ProgramList& program, const std::array<double, 2>& stopPosition) {
    std::lock_guard lock(program.mutex());
    if (program.empty() || endsBoard(program))
        return false;
    program.append(makeClosingRecord(program.count() + 1, stopPosition));
    return true;
}

bool editStation(ProgramList& program, int row, std::string_view text) {
    {
        std::lock_guard lock(program.mutex());
        InsertionRecord* record = program.at(row);
        if (record == nullptr || !record->isInsertion() || !isWholeNumber(text))
            return false;
        const double typed = parseReal(text);
        const int station = parseInt(text);
        if (typed != station || station < 1 || station > kStationCount)
            return false;
        if (station == parseInt(record->field(kFieldStation)))
            return false;
        record->setField(kFieldStation, formatInt(station));
    }
    rebuildChainFeedPlan(program);
    return true;
}

void setChainFeedPlanRebuild(ChainFeedPlanRebuild rebuild) {
    std::lock_guard lock(rebuildMutex);
    installedRebuild = std::move(rebuild);
}

void rebuildChainFeedPlan(const ProgramList& program) {
    ChainFeedPlanRebuild rebuild;
    {
        std::lock_guard lock(rebuildMutex);
        rebuild = installedRebuild;
    }
    if (rebuild)
        rebuild(program);
}

}  // namespace corvane
