// Removable drives: mounted file systems whose block device the kernel marks
// removable.
#pragma once

#include <filesystem>
#include <vector>

namespace corvane {

struct RemovableDriveSources {
    std::filesystem::path sysBlock = "/sys/block";
    std::filesystem::path mounts = "/proc/self/mounts";
};

// Mount points of removable file systems, in mount order, each once.
std::vector<std::filesystem::path> findRemovableDriveRoots(const RemovableDriveSources& sources);
// With the process-wide sources (the system's unless a test replaced them).
std::vector<std::filesystem::path> findRemovableDriveRoots();
void setRemovableDriveSources(RemovableDriveSources sources);

}  // namespace corvane
