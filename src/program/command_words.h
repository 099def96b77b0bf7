// The six commands of a plug-in program record and their words in the two
// display languages. A record stores the word of the display language of the
// moment; every comparison uses the word of the current display language.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace corvane {

enum class ProgramCommand { Check, Uncheck, Break, Mark, Stop, Continue };

inline constexpr int kProgramCommandCount = 6;

// The word of `command` in the current display language.
const char* commandWord(ProgramCommand command);
// The word in a given language (`kEnglish` or `kChinese`).
const char* commandWord(ProgramCommand command, int language);

// The command a word of either language names (byte comparison).
std::optional<ProgramCommand> commandOfWord(std::string_view word);
// Whether the word is one of the twelve.
bool isCommandWord(std::string_view word);
// The same command's word in the current display language; a word that names
// no command comes back unchanged.
std::string translateCommand(std::string_view word);

}  // namespace corvane
