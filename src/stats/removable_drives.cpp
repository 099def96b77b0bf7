// /proc/self/mounts names the devices; /sys/block tells which are removable.
#include "stats/removable_drives.h"

#include <algorithm>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <system_error>

namespace corvane {

namespace {

std::mutex sourcesMutex;
RemovableDriveSources processSources;

// Mount table fields escape blanks and a few other characters as \ooo.
std::string unescape(const std::string& field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<long>(i) + 1,
                        field.begin() + static_cast<long>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool readsOne(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string value;
    return in >> value && value == "1";
}

// The whole-disk entry of /sys/block a device (disk or partition) belongs to.
std::filesystem::path diskOf(const std::filesystem::path& sysBlock, const std::string& device) {
    std::error_code error;
    if (std::filesystem::exists(sysBlock / device / "removable", error))
        return sysBlock / device;
    for (const auto& disk : std::filesystem::directory_iterator(sysBlock, error)) {
        if (std::filesystem::exists(disk.path() / device, error))
            return disk.path();
    }
    return {};
}

}  // namespace

std::vector<std::filesystem::path> findRemovableDriveRoots(const RemovableDriveSources& sources) {
    std::vector<std::filesystem::path> roots;
    std::ifstream mounts(sources.mounts);
    std::string line;
    while (std::getline(mounts, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (!(fields >> device >> mountPoint) || device.rfind("/dev/", 0) != 0)
            continue;
        std::error_code error;
        std::filesystem::path resolved = std::filesystem::canonical(device, error);
        if (error)
            resolved = device;
        const std::filesystem::path disk = diskOf(sources.sysBlock, resolved.filename().string());
        if (disk.empty() || !readsOne(disk / "removable"))
            continue;
        const std::filesystem::path root = unescape(mountPoint);
        if (std::find(roots.begin(), roots.end(), root) == roots.end())
            roots.push_back(root);
    }
    return roots;
}

std::vector<std::filesystem::path> findRemovableDriveRoots() {
    RemovableDriveSources sources;
    {
        std::lock_guard lock(sourcesMutex);
        sources = processSources;
    }
    return findRemovableDriveRoots(sources);
}

void setRemovableDriveSources(RemovableDriveSources sources) {
    std::lock_guard lock(sourcesMutex);
    processSources = std::move(sources);
}

}  // namespace corvane
