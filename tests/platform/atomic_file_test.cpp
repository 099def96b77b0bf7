// Atomic file writes: replace, append, failure leaves the old file.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using corvane::platform::appendFileAtomically;
using corvane::platform::writeFileAtomically;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream whole;
    whole << in.rdbuf();
    return std::move(whole).str();
}

fs::path freshDir(const std::string& name) {
    const fs::path dir = fs::temp_directory_path() / ("corvane-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(AtomicFile, ReplacesAndAppendsWithoutLeavingTemporaries) {
    const fs::path dir = freshDir("atomic");
    const fs::path file = dir / "a.txt";
    ASSERT_TRUE(writeFileAtomically(file, "first"));
    ASSERT_TRUE(writeFileAtomically(file, "second"));
    EXPECT_EQ(readAll(file), "second");
    ASSERT_TRUE(appendFileAtomically(file, "+more"));
    EXPECT_EQ(readAll(file), "second+more");
    ASSERT_TRUE(appendFileAtomically(dir / "new.txt", "x"));
    EXPECT_EQ(readAll(dir / "new.txt"), "x");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) ++entries;
    EXPECT_EQ(entries, 2);
    fs::remove_all(dir);
}

TEST(AtomicFile, FailureReportsAndKeepsNothingHalfWritten) {
    std::string error;
    EXPECT_FALSE(writeFileAtomically("/nonexistent-dir/x/y.txt", "data", &error));
    EXPECT_FALSE(error.empty());
}
