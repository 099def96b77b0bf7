// The program directory: where the program finds and writes its files by name
// ("machine.wps", "Statistical/", the help files).
#pragma once

#include <filesystem>
#include <string>

namespace corvane::platform {

// The directory of the running executable, or $CORVANE_HOME when set.
std::filesystem::path programDirectory();
// The same as text with a trailing separator, as the program composes paths.
std::string programDirectoryText();
// A file of the program directory.
std::filesystem::path programFile(const std::string& name);

}  // namespace corvane::platform
