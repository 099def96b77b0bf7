// Reading and writing the camera's settings file through SimpleIni.
#include "camera/settings_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/atomic_file.h"

// SimpleIni as a header only: its implementation compiled here, for plain
// char text with no character conversion.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace ostrel {

struct SettingsFile::Ini {
    Ini() { reset(); }
    void reset() {
        data.Reset();
        data.SetSpaces(false);  // "Width=752", as the profile functions write it
        data.SetQuotes(true);   // a quoted value reads without its quotes
    }
    CSimpleIniA data;
};

std::string settingsFileName(const std::string& folder, const std::string& model, int device) {
    const std::string base = model + std::to_string(device) + ".ini";
    return (folder.empty() ? std::string(".") : folder) + "/" + base;
}

SettingsFile::SettingsFile(std::string path)
    : path_(std::move(path)), ini_(std::make_unique<Ini>()) {
    std::error_code ec;
    exists_ = std::filesystem::is_regular_file(path_, ec);
    if (exists_ && ini_->data.LoadFile(path_.c_str()) < 0) {
        ini_->reset();
    }
}

SettingsFile::~SettingsFile() = default;

bool SettingsFile::has(const char* section, const char* key) const {
    return ini_->data.GetValue(section, key, nullptr) != nullptr;
}

std::string SettingsFile::text(const char* section, const char* key, const char* fallback) const {
    const char* value = ini_->data.GetValue(section, key, nullptr);
    return value != nullptr ? value : fallback;
}

int SettingsFile::number(const char* section, const char* key, int fallback) const {
    const char* value = ini_->data.GetValue(section, key, nullptr);
    if (value == nullptr) {
        return fallback;
    }
    errno = 0;
    char* end = nullptr;
    const long long n = std::strtoll(value, &end, 10);
    if (end == value) {
        return 0;
    }
    if (n > INT_MAX || (errno == ERANGE && n > 0)) {
        return INT_MAX;
    }
    if (n < INT_MIN || (errno == ERANGE && n < 0)) {
        return INT_MIN;
    }
    return static_cast<int>(n);
}

void SettingsFile::setText(const char* section, const char* key, const std::string& value) {
    ini_->data.SetValue(section, key, value.c_str());
}

void SettingsFile::setNumber(const char* section, const char* key, int value) {
    setText(section, key, std::to_string(value));
}

bool SettingsFile::save(std::string* error) {
    std::string bytes;
    if (ini_->data.Save(bytes) < 0) {
        if (error) {
            *error = "the settings could not be put into words";
        }
        return false;
    }
    if (!corvane::platform::writeFileAtomically(path_, bytes, error)) {
        return false;
    }
    exists_ = true;
    return true;
}

}  // namespace ostrel
