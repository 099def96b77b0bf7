// The registry stand-in: keys and values survive in the file, names ignore
// letter case, an unreadable file fails the read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/settings_store.h"

using namespace corvane::platform;
namespace fs = std::filesystem;

namespace {

fs::path freshDir(const std::string& name) {
    const auto dir =
        fs::temp_directory_path() / ("corvane-settings-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

}  // namespace

TEST(SettingsStore, KeysAndValuesPersist) {
    const fs::path dir = freshDir("persist");
    setSettingsFile(dir / "sub" / "registry.ini");
    std::string value = "stale";
    EXPECT_TRUE(readSetting("Software\\A", "Name", value));  // no file yet: empty
    EXPECT_EQ(value, "");
    EXPECT_TRUE(createSettingsKey("Software\\A"));
    EXPECT_TRUE(createSettingsKey("software\\a"));
    EXPECT_TRUE(writeSetting("Software\\A", "Name", "line1\nline2 \\ [x]=y"));
    EXPECT_TRUE(writeSetting("Software\\B", "Other", "2"));
    EXPECT_TRUE(writeSetting("SOFTWARE\\a", "NAME", "again\\n"));
    EXPECT_TRUE(readSetting("Software\\A", "name", value));
    EXPECT_EQ(value, "again\\n");
    EXPECT_TRUE(readSetting("Software\\B", "Other", value));
    EXPECT_EQ(value, "2");
    EXPECT_TRUE(readSetting("Software\\B", "Missing", value));
    EXPECT_EQ(value, "");
    std::ifstream in(dir / "sub" / "registry.ini");
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "[Software\\A]");
    setSettingsFile({});
}

TEST(SettingsStore, DefaultFileFollowsTheConfigFolder) {
    const fs::path dir = freshDir("xdg");
    setSettingsFile({});
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old != nullptr ? old : "";
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    EXPECT_EQ(settingsFile(), dir / "corvane" / "registry.ini");
    if (old != nullptr)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

TEST(SettingsStore, AnUnreadableFileFailsAndIsNotOverwritten) {
    const fs::path dir = freshDir("unreadable");
    fs::create_directories(dir / "registry.ini");  // a folder where the file should be
    setSettingsFile(dir / "registry.ini");
    std::string value = "x";
    EXPECT_FALSE(readSetting("K", "V", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(writeSetting("K", "V", "1"));
    EXPECT_FALSE(createSettingsKey("K"));
    setSettingsFile({});
}
