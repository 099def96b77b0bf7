// Files the console hands to the desktop: the manufacturer's information and
// the help as PDF files, a program file for its spreadsheet application.
#pragma once

#include <filesystem>

namespace corvane::app {

// Opens the file with the application the desktop has for it. A missing file,
// or one the desktop cannot open, is told as "Cannot find " and its path.
bool openWithDesktop(const std::filesystem::path& file);

}  // namespace corvane::app
