// Program access for the production workers.
#include "production/program_source.h"

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
    struct Word {
        const char* english;
        const char* chinese;
        StepCommand command;
    };
    static constexpr Word kWords[] = {
        {"check", "插件检测", StepCommand::Check},   {"uncheck", "插件不检测", StepCommand::Uncheck},
        {"break", "跳过", StepCommand::Break},       {"mark", "MARK点", StepCommand::Mark},
        {"stop", "停止", StepCommand::Stop},         {"continue", "继续", StepCommand::Continue},
    };
    for (const Word& w : kWords) {
        if (word == w.english || word == w.chinese) {
            return w.command;
        }
    }
    return StepCommand::Unknown;
}

}  // namespace corvane
