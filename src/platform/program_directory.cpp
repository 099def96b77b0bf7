// Program directory lookup.
#include "platform/program_directory.h"

#include <cstdlib>
#include <system_error>

namespace corvane::platform {

std::filesystem::path programDirectory() {
    if (const char* home = std::getenv("CORVANE_HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home);
    }
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path();
    }
    return exe.parent_path();
}

std::string programDirectoryText() {
    std::string text = programDirectory().string();
    if (text.empty() || text.back() != '/') {
        text += '/';
    }
    return text;
}

std::filesystem::path programFile(const std::string& name) { return programDirectory() / name; }

}  // namespace corvane::platform
