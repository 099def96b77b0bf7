// Program access for the production workers.
#include "production/program_source.h"

#include "program/command_words.h"

namespace corvane {

std::vector<ProductionRecord> ProgramSource::all() const {
    std::vector<ProductionRecord> records;
    const int n = count();
    records.reserve(static_cast<size_t>(n));
    for (int i = 1; i <= n; ++i) {
        records.push_back(record(i));
    }
    return records;
}

StepCommand parseCommand(const std::string& word) {
    const auto command = commandOfWord(word);
    if (!command) return StepCommand::Unknown;
    switch (*command) {
        case ProgramCommand::Check: return StepCommand::Check;
        case ProgramCommand::Uncheck: return StepCommand::Uncheck;
        case ProgramCommand::Break: return StepCommand::Break;
        case ProgramCommand::Mark: return StepCommand::Mark;
        case ProgramCommand::Stop: return StepCommand::Stop;
        case ProgramCommand::Continue: return StepCommand::Continue;
    }
    return StepCommand::Unknown;
}

}  // namespace corvane
