// Removable drives found from a mount table and a block device tree laid out
// as the kernel shows them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "production/machine_state.h"
#include "stats/removable_drives.h"
#include "stats/statistics_report.h"

using namespace corvane;
namespace fs = std::filesystem;

namespace {

fs::path freshDir(const std::string& name) {
    const auto dir =
        fs::temp_directory_path() / ("corvane-drives-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void disk(const fs::path& sysBlock, const std::string& name, bool removable,
          std::vector<std::string> partitions) {
    fs::create_directories(sysBlock / name);
    std::ofstream(sysBlock / name / "removable") << (removable ? "1\n" : "0\n");
    for (const auto& partition : partitions)
        fs::create_directories(sysBlock / name / partition);
}

}  // namespace

TEST(RemovableDrives, MountedRemovableFileSystemsOnly) {
    const fs::path dir = freshDir("find");
    const fs::path sysBlock = dir / "block";
    disk(sysBlock, "sda", false, {"sda1", "sda2"});
    disk(sysBlock, "sdb", true, {"sdb1"});
    disk(sysBlock, "sdc", true, {});
    disk(sysBlock, "mmcblk0", true, {"mmcblk0p1"});
    std::ofstream(dir / "mounts") << "/dev/sda1 / ext4 rw 0 0\n"
                                     "proc /proc proc rw 0 0\n"
                                     "/dev/sdb1 /media/USB\\040STICK vfat rw 0 0\n"
                                     "/dev/sda2 /home ext4 rw 0 0\n"
                                     "/dev/sdc /media/whole vfat rw 0 0\n"
                                     "/dev/mmcblk0p1 /media/card exfat rw 0 0\n"
                                     "/dev/sdb1 /media/USB\\040STICK vfat rw 0 0\n"
                                     "tmpfs /tmp tmpfs rw 0 0\n";
    const auto roots = findRemovableDriveRoots({sysBlock, dir / "mounts"});
    EXPECT_EQ(roots, (std::vector<fs::path>{"/media/USB STICK", "/media/whole", "/media/card"}));
    EXPECT_TRUE(findRemovableDriveRoots({sysBlock, dir / "missing"}).empty());
}

TEST(RemovableDrives, UDiskSaveUsesTheFirstDriveOrSaysNoneWasFound) {
    Language = kEnglish;
    const fs::path dir = freshDir("usave");
    const fs::path sysBlock = dir / "block";
    disk(sysBlock, "sdb", true, {"sdb1"});
    std::ofstream(dir / "none") << "/dev/sda1 / ext4 rw 0 0\n";
    setRemovableDriveSources({sysBlock, dir / "none"});
    StatisticsRecord record;
    record.inserts = 1;
    ReportResult result = writeStatisticsReportToRemovableDrive(record, std::time(nullptr));
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.error,
              "No mobile device was found. Make sure the mobile device is plugged in.");
    Language = kChinese;
    EXPECT_EQ(noRemovableDriveMessage(), "没有找到移动设备，请确认插入了移动设备");
    Language = kEnglish;

    const fs::path stick = dir / "stick";
    fs::create_directories(stick);
    std::ofstream(dir / "mounts") << "/dev/sdb1 " << stick.string() << " vfat rw 0 0\n";
    setRemovableDriveSources({sysBlock, dir / "mounts"});
    result = writeStatisticsReportToRemovableDrive(record, std::time(nullptr));
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_EQ(result.file.parent_path().parent_path(), stick / "Statistical");
    setRemovableDriveSources({});
}
