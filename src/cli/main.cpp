// corvane-cli: the machine program's core without a screen.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli_support.h"

using namespace corvane::cli;

namespace {

void printUsage(FILE* out) {
    std::fprintf(out, "usage: corvane-cli COMMAND [ARGS...] [--json]\n\ncommands:\n");
    for (const auto& command : commands()) {
        std::string usage = command.usage;
        size_t start = 0;
        while (start < usage.size()) {
            size_t end = usage.find('\n', start);
            if (end == std::string::npos) end = usage.size();
            const std::string line = usage.substr(start, end - start);
            // Continuation lines start with a blank and carry no program name.
            std::fprintf(out, line.rfind(' ', 0) == 0 ? "  %s\n" : "  corvane-cli %s\n", line.c_str());
            start = end + 1;
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        printUsage(stderr);
        return kExitUsage;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printUsage(stdout);
        return kExitOk;
    }
    for (const auto& command : commands()) {
        if (name == command.name) {
            Arguments arguments;
            for (int i = 2; i < argc; ++i) {
                arguments.words.emplace_back(argv[i]);
            }
            arguments.json = arguments.takeFlag("json");
            return command.run(arguments);
        }
    }
    std::fprintf(stderr, "corvane-cli: unknown command '%s'\n", name.c_str());
    printUsage(stderr);
    return kExitUsage;
}
