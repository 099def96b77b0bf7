// An INI-style file: "[key path]" lines, then "name=value" lines; values
// escape backslashes and line breaks.
#include "platform/settings_store.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"

namespace corvane::platform {

namespace {

std::mutex storeMutex;
std::filesystem::path overrideFile;

struct Value {
    std::string name;
    std::string text;
};
struct Key {
    std::string path;
    std::vector<Value> values;
};

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// False when the file exists but cannot be read.
bool load(const std::filesystem::path& file, std::vector<Key>& keys) {
    keys.clear();
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return !error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            keys.push_back({line.substr(1, line.size() - 2), {}});
        } else if (const size_t eq = line.find('='); eq != std::string::npos && !keys.empty()) {
            keys.back().values.push_back({line.substr(0, eq), unescape(line.substr(eq + 1))});
        }
    }
    return !in.bad();
}

bool save(const std::filesystem::path& file, const std::vector<Key>& keys) {
    std::string text;
    for (const auto& key : keys) {
        text += "[" + key.path + "]\n";
        for (const auto& value : key.values)
            text += value.name + "=" + escape(value.text) + "\n";
    }
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return writeFileAtomically(file, text);
}

Key* findKey(std::vector<Key>& keys, const std::string& path) {
    for (auto& key : keys) {
        if (sameName(key.path, path))
            return &key;
    }
    return nullptr;
}

}  // namespace

std::filesystem::path settingsFile() {
    {
        std::lock_guard lock(storeMutex);
        if (!overrideFile.empty())
            return overrideFile;
    }
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "corvane" / "registry.ini";
}

void setSettingsFile(std::filesystem::path file) {
    std::lock_guard lock(storeMutex);
    overrideFile = std::move(file);
}

bool createSettingsKey(const std::string& keyPath) {
    const auto file = settingsFile();
    std::lock_guard lock(storeMutex);
    std::vector<Key> keys;
    if (!load(file, keys))
        return false;
    if (findKey(keys, keyPath) != nullptr)
        return true;
    keys.push_back({keyPath, {}});
    return save(file, keys);
}

bool readSetting(const std::string& keyPath, const std::string& valueName, std::string& value) {
    value.clear();
    const auto file = settingsFile();
    std::lock_guard lock(storeMutex);
    std::vector<Key> keys;
    if (!load(file, keys))
        return false;
    if (Key* key = findKey(keys, keyPath); key != nullptr) {
        for (const auto& v : key->values) {
            if (sameName(v.name, valueName))
                value = v.text;
        }
    }
    return true;
}

bool writeSetting(const std::string& keyPath, const std::string& valueName,
                  const std::string& value) {
    const auto file = settingsFile();
    std::lock_guard lock(storeMutex);
    std::vector<Key> keys;
    if (!load(file, keys))
        return false;
    Key* key = findKey(keys, keyPath);
    if (key == nullptr) {
        keys.push_back({keyPath, {}});
        key = &keys.back();
    }
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&](const Value& v) { return sameName(v.name, valueName); });
    if (it != key->values.end()) {
        it->text = value;
    } else {
        key->values.push_back({valueName, value});
    }
    return save(file, keys);
}

}  // namespace corvane::platform
