// Runs corvane-cli as a child process and collects what it printed.
#pragma once

#include <string>
#include <vector>

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

CliResult runCli(const std::vector<std::string>& args, const std::vector<std::string>& env = {});

// A fresh, empty directory under the temporary folder.
std::string freshDirectory(const std::string& name);
