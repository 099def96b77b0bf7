// Runs the test process in a fresh directory of its own, removed at exit.
// The camera driver reads and writes its settings files in the current
// directory when it is given no folder; tests that run side by side must not
// see each other's files.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct OwnDirectory {
    OwnDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
        if (char* made = ::mkdtemp(pattern.data())) {
            path = made;
            std::filesystem::current_path(path);
        }
    }
    ~OwnDirectory() {
        if (path.empty()) return;
        std::error_code ignored;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ignored);
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;
};

const OwnDirectory ownDirectory;

}  // namespace
