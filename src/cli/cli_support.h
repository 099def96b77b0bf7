// Command registry and small helpers shared by the commands of corvane-cli.
//
// Conventions every command keeps: text on stdout, or one JSON object with
// --json; exit 0 on success, 1 when the input is refused (message on stderr),
// 2 on usage errors.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <vector>

namespace corvane::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitRefused = 1;
inline constexpr int kExitUsage = 2;

// The words after the command name, with the common flags taken out.
struct Arguments {
    std::vector<std::string> words;  // positional words and unparsed options, in order
    bool json = false;

    // Removes "--name VALUE" or "--name=VALUE" and returns VALUE; nullopt when
    // absent. Sets `missingValue` when the option has no value.
    std::optional<std::string> takeOption(const std::string& name, bool* missingValue = nullptr);
    // Removes every occurrence of a repeatable option and returns the values.
    std::vector<std::string> takeOptions(const std::string& name, bool* missingValue = nullptr);
    // Removes "--name" and returns whether it was there.
    bool takeFlag(const std::string& name);
    // The first remaining word that starts with "--", if any.
    std::optional<std::string> unknownOption() const;
};

using CommandFunction = int (*)(Arguments& arguments);

struct Command {
    const char* name;
    const char* usage;  // one line per form, without the program name
    CommandFunction run;
};

// Registers a command; use through a static CommandRegistration.
void registerCommand(const Command& command);
const std::vector<Command>& commands();

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { registerCommand(command); }
};

// Prints the usage lines of a command to stderr and returns kExitUsage.
int usageError(const Command& command, const std::string& why);
// Prints "corvane-cli: <message>" to stderr and returns kExitRefused.
int refuse(const std::string& message);
// JSON with keys in the order they were added.
using Json = nlohmann::ordered_json;

// Prints JSON on stdout.
void printJson(const nlohmann::json& value);
void printJson(const Json& value);

}  // namespace corvane::cli
