// Command words, English and Chinese.
#include "program/command_words.h"

#include "platform/language.h"

namespace corvane {

namespace {

struct Words {
    ProgramCommand command;
    const char* english;
    const char* chinese;
};

constexpr Words kWords[kProgramCommandCount] = {
    {ProgramCommand::Check, "check", "插件检测"},
    {ProgramCommand::Uncheck, "uncheck", "插件不检测"},
    {ProgramCommand::Break, "break", "跳过"},
    {ProgramCommand::Mark, "mark", "MARK点"},
    {ProgramCommand::Stop, "stop", "停止"},
    {ProgramCommand::Continue, "continue", "继续"},
};

}  // namespace

const char* commandWord(ProgramCommand command, int language) {
    const Words& words = kWords[static_cast<int>(command)];
    return language == kChinese ? words.chinese : words.english;
}

const char* commandWord(ProgramCommand command) {
    return commandWord(command, Language.load());
}

std::optional<ProgramCommand> commandOfWord(std::string_view word) {
    for (const auto& words : kWords) {
        if (word == words.english || word == words.chinese)
            return words.command;
    }
    return std::nullopt;
}

bool isCommandWord(std::string_view word) {
    return commandOfWord(word).has_value();
}

std::string translateCommand(std::string_view word) {
    const auto command = commandOfWord(word);
    return command ? std::string(commandWord(*command)) : std::string(word);
}

}  // namespace corvane
