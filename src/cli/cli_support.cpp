// Command registry and argument helpers.
#include "cli/cli_support.h"

#include <cstdio>
#include <iostream>

namespace corvane::cli {

namespace {

std::vector<Command>& registry() {
    static std::vector<Command> all;
    return all;
}

}  // namespace

std::vector<std::string> Arguments::takeOptions(const std::string& name, bool* missingValue) {
    std::vector<std::string> values;
    const std::string flag = "--" + name;
    for (size_t i = 0; i < words.size();) {
        if (words[i] == flag) {
            if (i + 1 >= words.size()) {
                if (missingValue != nullptr) *missingValue = true;
                words.erase(words.begin() + static_cast<long>(i));
                continue;
            }
            values.push_back(words[i + 1]);
            words.erase(words.begin() + static_cast<long>(i), words.begin() + static_cast<long>(i) + 2);
        } else if (words[i].rfind(flag + "=", 0) == 0) {
            values.push_back(words[i].substr(flag.size() + 1));
            words.erase(words.begin() + static_cast<long>(i));
        } else {
            ++i;
        }
    }
    return values;
}

std::optional<std::string> Arguments::takeOption(const std::string& name, bool* missingValue) {
    auto values = takeOptions(name, missingValue);
    if (values.empty()) {
        return std::nullopt;
    }
    return values.back();
}

bool Arguments::takeFlag(const std::string& name) {
    const std::string flag = "--" + name;
    bool found = false;
    for (size_t i = 0; i < words.size();) {
        if (words[i] == flag) {
            words.erase(words.begin() + static_cast<long>(i));
            found = true;
        } else {
            ++i;
        }
    }
    return found;
}

std::optional<std::string> Arguments::unknownOption() const {
    for (const auto& w : words) {
        if (w.size() > 2 && w.rfind("--", 0) == 0) {
            return w;
        }
    }
    return std::nullopt;
}

void registerCommand(const Command& command) { registry().push_back(command); }

const std::vector<Command>& commands() { return registry(); }

int usageError(const Command& command, const std::string& why) {
    std::fprintf(stderr, "corvane-cli %s: %s\nusage:\n", command.name, why.c_str());
    std::string usage = command.usage;
    size_t start = 0;
    while (start < usage.size()) {
        size_t end = usage.find('\n', start);
        if (end == std::string::npos) end = usage.size();
        const std::string line = usage.substr(start, end - start);
        std::fprintf(stderr, line.rfind(' ', 0) == 0 ? "  %s\n" : "  corvane-cli %s\n", line.c_str());
        start = end + 1;
    }
    return kExitUsage;
}

int refuse(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
    return kExitRefused;
}

void printJson(const nlohmann::json& value) { std::cout << value.dump(2) << std::endl; }
void printJson(const Json& value) { std::cout << value.dump(2) << std::endl; }

}  // namespace corvane::cli
