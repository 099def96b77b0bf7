// The stand-in for the current user's registry: a small key/value file in the
// user's configuration folder ($XDG_CONFIG_HOME/corvane/registry.ini, else
// ~/.config/corvane/registry.ini), with the same key paths and value names.
// Key paths and value names compare without regard to letter case, as the
// registry's do.
#pragma once

#include <filesystem>
#include <string>

namespace corvane::platform {

std::filesystem::path settingsFile();
// Another file (tests); an empty path goes back to the default.
void setSettingsFile(std::filesystem::path file);

// Creates the key if it does not exist.
bool createSettingsKey(const std::string& keyPath);
// A missing file, key or value reads as empty text and succeeds; a file that
// exists but cannot be read fails (value empty).
bool readSetting(const std::string& keyPath, const std::string& valueName, std::string& value);
// Creates the key as needed; the file is replaced atomically.
bool writeSetting(const std::string& keyPath, const std::string& valueName,
                  const std::string& value);

}  // namespace corvane::platform
