// The camera's settings file: its name, and reading and writing its keys the
// way the machine's Windows profile (.ini) files are read and written.
//
// Sections and keys are found whatever their case, values lose the blanks
// around them (and one pair of enclosing quotes), numbers read as their
// leading digits; new keys follow the ones already there, in the order they
// are set. The file is replaced whole through a temporary file.
#pragma once

#include <memory>
#include <string>

namespace ostrel {

// The folder, then the model string, the device index and ".ini"; with no
// folder the file lies in the current directory ("./K6C0.ini").
std::string settingsFileName(const std::string& folder, const std::string& model, int device);

class SettingsFile {
  public:
    // Reads the file when there is one; a missing or unreadable file reads
    // as an empty one.
    explicit SettingsFile(std::string path);
    ~SettingsFile();
    SettingsFile(const SettingsFile&) = delete;
    SettingsFile& operator=(const SettingsFile&) = delete;

    const std::string& path() const { return path_; }
    bool exists() const { return exists_; }
    bool has(const char* section, const char* key) const;
    // The key's text, or `fallback` when the key is missing.
    std::string text(const char* section, const char* key, const char* fallback) const;
    // The key as a number (its leading digits, 0 when there are none), or
    // `fallback` when the key is missing.
    int number(const char* section, const char* key, int fallback) const;

    void setText(const char* section, const char* key, const std::string& value);
    void setNumber(const char* section, const char* key, int value);

    // Writes the file (temporary file, then renamed over it).
    bool save(std::string* error = nullptr);

  private:
    struct Ini;
    std::string path_;
    bool exists_ = false;
    std::unique_ptr<Ini> ini_;
};

}  // namespace ostrel
