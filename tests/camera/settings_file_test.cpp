// The camera settings file: saved, loaded back, corrected, and its defaults.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "camera/device_table.h"
#include "simulated_camera_fixture.h"

namespace ostrel::testing {
namespace {

class SettingsFileTest : public SimulatedCameraTest {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("ostrel-settings-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        SimulatedCameraTest::TearDown();
        std::filesystem::remove_all(folder_);
    }
    std::filesystem::path file(const char* model) const {
        return folder_ / (std::string(model) + std::to_string(device_) + ".ini");
    }
    std::string read(const std::filesystem::path& p) const {
        std::ifstream in(p);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // The file's lines that are not blank.
    std::vector<std::string> lines(const std::filesystem::path& p) const {
        std::ifstream in(p);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty()) {
                out.push_back(line);
            }
        }
        return out;
    }
    void write(const std::filesystem::path& p, const std::string& text) const {
        std::ofstream(p) << text;
    }
    // Opens the camera as it comes from power-up and loads the folder's file.
    void openFresh(const char* model) {
        TQ_CloseDevice(device_);
        camsim::resetInProcessCameras();
        useModel(model);
        ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
        ASSERT_EQ(TQ_DevCapInit(device_, folder_.c_str()), TQ_SUCCESS);
    }
    std::filesystem::path folder_;
};

// Every setting in the file, read back after the camera was switched off and
// on: the file alone brings it back.
TEST_F(SettingsFileTest, SaveAndLoadRestoreEverySetting) {
    useModel("K5C");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, folder_.c_str()), TQ_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(file("K5C")));  // a load alone writes nothing

    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetImageMirror(1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetImageColorStat(0, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetImageGammaStat(1, device_), TQ_SUCCESS);
    const int blackLevels[5] = {3, -20, 21, -22, 23};
    ASSERT_EQ(TQ_SetBlackLevelInfo(0, 0, 200, -200, blackLevels, device_), TQ_SUCCESS);
    const int gains[5] = {40, 64, 8, 33, 49};
    ASSERT_EQ(TQ_SetGainInfo(1, 0, 100, 2, gains, device_), TQ_SUCCESS);
    // The snapshot exposure time sets the shutter too: the rows come after.
    ASSERT_EQ(TQ_SetSnapInfo(0, 2, 30, 7000, 40, 3, 0, 0, 0, 0, 3, 1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetExposureInfo(1, 1, 0, 0, 5000, device_), TQ_SUCCESS);  // automatic exposure
    int exposureMax = 0;
    int exposureMin = 0;
    ASSERT_EQ(TQ_GetExposureRange(&exposureMax, &exposureMin, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SaveParaToIniFile(device_), TQ_SUCCESS);

    // The keys and the texts as the file spells them, in its order.
    const std::vector<std::string> expected = {"[Camera Info]",
                                               "Camera Type=K5C",
                                               "[Resolution Info]",
                                               "Width=1024",
                                               "Height=768",
                                               "[Color Info]",
                                               "Color=Gray",
                                               "[Gamma Info]",
                                               "Gamma=Gamma",
                                               "[Mirror Info]",
                                               "Mirror=V Mirror",
                                               "[Black Level Info]",
                                               "Auto=Manual",
                                               "Enable=Disable",
                                               "Range Max=200",
                                               "Range Min=-200",
                                               "MODE=3",
                                               "G1 Value=-20",
                                               "G2 Value=21",
                                               "R Value=-22",
                                               "B Value=23",
                                               "[Gain Info]",
                                               "Auto=Manual",
                                               "Enable=Enable",
                                               "Range Max=100",
                                               "Range Min=2",
                                               "Global Gain=40",
                                               "G1 Gain=64",
                                               "G2 Gain=8",
                                               "R Gain=33",
                                               "B Gain=49",
                                               "[Exposure Integration Row Info]",
                                               "Auto=Auto",
                                               "Enable=Enable",
                                               "Range Max=" + std::to_string(exposureMax),
                                               "Range Min=" + std::to_string(exposureMin),
                                               "Integration Rows=5000",
                                               "[Snap Control Info]",
                                               "PrevSnap State=Snapshot",
                                               "Snap State=2",
                                               "Debouncer Time=30",
                                               "Exposure Time=7000",
                                               "Trig Freq.=40",
                                               "Trig output Image Count=3",
                                               "IO In Mode=3",
                                               "IO Out Mode=1"};
    EXPECT_EQ(lines(file("K5C")), expected);

    openFresh("K5C");
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 1024);
    EXPECT_EQ(r.height, 768);
    EXPECT_EQ(camera_->imageSize(), (std::pair{1024, 768}));
    int value = -1;
    ASSERT_EQ(TQ_GetImageMirror(&value, device_), TQ_SUCCESS);
    EXPECT_EQ(value, 1);
    EXPECT_EQ(camera_->sensorRegister(0x20) & 0xC000, 0x8000);
    ASSERT_EQ(TQ_GetImageColorStat(&value, device_), TQ_SUCCESS);
    EXPECT_EQ(value, 0);
    ASSERT_EQ(TQ_GetImageGammaStat(&value, device_), TQ_SUCCESS);
    EXPECT_EQ(value, 1);

    TQ_BlackLevelInfo black{};
    ASSERT_EQ(TQ_GetBlackLevelInfo(&black, device_), TQ_SUCCESS);
    EXPECT_EQ(black.enable, 0);
    EXPECT_EQ(black.autoMode, 0);
    EXPECT_EQ(black.rangeMaximum, 200);
    EXPECT_EQ(black.rangeMinimum, -200);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(black.values[i], blackLevels[i]) << i;
    }
    EXPECT_EQ(camera_->sensorRegister(0x62) & 3, 3);  // disabled, manual
    EXPECT_EQ(camera_->sensorRegister(0x61), 21);

    TQ_GainInfo gain{};
    ASSERT_EQ(TQ_GetGainInfo(&gain, device_), TQ_SUCCESS);
    EXPECT_EQ(gain.enable, 1);
    EXPECT_EQ(gain.autoMode, 0);
    EXPECT_EQ(gain.rangeMaximum, 100);
    EXPECT_EQ(gain.rangeMinimum, 2);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(gain.values[i], gains[i]) << i;
    }
    EXPECT_EQ(camera_->sensorRegister(0x35), 0x0068);

    TQ_ExposureInfo exposure{};
    ASSERT_EQ(TQ_GetExposureInfo(&exposure, device_), TQ_SUCCESS);
    EXPECT_EQ(exposure.enable, 1);
    EXPECT_EQ(exposure.autoMode, 1);
    EXPECT_EQ(exposure.value, 5000);
    EXPECT_EQ(camera_->sensorRegister(0x09), 5000);

    TQ_SnapInfo snap{};
    ASSERT_EQ(TQ_GetSnapInfo(&snap, device_), TQ_SUCCESS);
    EXPECT_EQ(snap.preview, 0);
    EXPECT_EQ(snap.snapKind, 2);
    EXPECT_EQ(snap.debounceTime, 30);
    EXPECT_EQ(snap.exposureTime, 7000);
    EXPECT_EQ(snap.triggerFrequency, 40);
    EXPECT_EQ(snap.triggerImageCount, 3);
    EXPECT_EQ(snap.inputMode, 3);
    EXPECT_EQ(snap.outputMode, 1);
    EXPECT_FALSE(camera_->previewMode());
    EXPECT_EQ(camera_->snapKind(), 2);
    EXPECT_EQ(camera_->lastArgument(0x01), 1'000'000u / 40);

    // Saved again unchanged, the file says the same.
    ASSERT_EQ(TQ_SaveParaToIniFile(device_), TQ_SUCCESS);
    EXPECT_EQ(lines(file("K5C")), expected);
}

TEST_F(SettingsFileTest, AWidthBeyondTheSensorLoadsAsTheWholeSensor) {
    useModel("K1M");
    write(file("K1M"), "[Resolution Info]\nWidth=9999\nHeight=480\n");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);  // another folder: no file
    ASSERT_EQ(TQ_SetResolution(320, 240, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_IniCamFromIniFile(device_, folder_.c_str()), TQ_SUCCESS);
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 752);
    EXPECT_EQ(r.height, 480);
    EXPECT_EQ(camera_->imageSize(), (std::pair{752, 480}));
}

// A hand-written file: what it holds out of range is corrected in the file,
// everything else stays as it was written.
TEST_F(SettingsFileTest, AValueBelowItsRangeLoadsAsTheMinimumAndTheFileIsCorrected) {
    useModel("K2M");
    const std::string original =
        "; written by hand\n"
        "[Snap Control Info]\nExposure Time=5\nTrig Freq.=500\n"
        "[Mirror Info]\nMirror=H Mirror\n"
        "[Color Info]\nColor=gray\n"
        "[Gain Info]\nGlobal Gain = 99\nRange Max=15\n";
    write(file("K2M"), original);
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);  // another folder: no file
    ASSERT_EQ(TQ_SetImageColorStat(1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_IniCamFromIniFile(device_, folder_.c_str()), TQ_SUCCESS);
    int time = 0;
    ASSERT_EQ(TQ_GetSnapExpTime(&time, device_), TQ_SUCCESS);
    EXPECT_EQ(time, 10);
    int frequency = 0;
    int count = -1;
    ASSERT_EQ(TQ_GetSnapTrigFreqImgCount(&frequency, &count, device_), TQ_SUCCESS);
    EXPECT_EQ(frequency, 30);  // this camera's most at its width
    int gains[5] = {};
    ASSERT_EQ(TQ_GetGainValue(gains, device_), TQ_SUCCESS);
    EXPECT_EQ(gains[0], 15);
    int mirror = -1;
    ASSERT_EQ(TQ_GetImageMirror(&mirror, device_), TQ_SUCCESS);
    EXPECT_EQ(mirror, 2);
    int colour = -1;
    ASSERT_EQ(TQ_GetImageColorStat(&colour, device_), TQ_SUCCESS);
    EXPECT_EQ(colour, 1);  // "gray" is not "Gray": the colour flag stays

    const std::string corrected = read(file("K2M"));
    EXPECT_NE(corrected.find("Exposure Time=10\n"), std::string::npos) << corrected;
    EXPECT_NE(corrected.find("Trig Freq.=30\n"), std::string::npos) << corrected;
    EXPECT_NE(corrected.find("Global Gain=15\n"), std::string::npos) << corrected;
    EXPECT_NE(corrected.find("; written by hand"), std::string::npos) << corrected;
    EXPECT_NE(corrected.find("Mirror=H Mirror\n"), std::string::npos) << corrected;
    EXPECT_NE(corrected.find("Color=gray\n"), std::string::npos) << corrected;
    // Keys the file did not hold are not added by the correction.
    EXPECT_EQ(corrected.find("Debouncer Time"), std::string::npos) << corrected;
    // Loaded again, nothing is left to correct.
    ASSERT_EQ(TQ_IniCamFromIniFile(device_, folder_.c_str()), TQ_SUCCESS);
    EXPECT_EQ(read(file("K2M")), corrected);
}

// No file at all: the defaults, with the trigger frequency kept within what
// the camera can do (12 at this camera's 2048 columns).
TEST_F(SettingsFileTest, NoFileGivesTheDefaults) {
    useModel("K5C");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 3, device_), TQ_SUCCESS);  // what it did before
    ASSERT_EQ(TQ_DevCapInit(device_, folder_.c_str()), TQ_SUCCESS);
    TQ_SnapInfo snap{};
    ASSERT_EQ(TQ_GetSnapInfo(&snap, device_), TQ_SUCCESS);
    EXPECT_EQ(snap.preview, 1);
    EXPECT_EQ(snap.snapKind, 0);
    EXPECT_EQ(snap.debounceTime, 20);
    EXPECT_EQ(snap.exposureTime, 80000);
    EXPECT_EQ(snap.triggerFrequency, 12);
    EXPECT_TRUE(camera_->previewMode());
    EXPECT_EQ(camera_->lastArgument(0x5D), 20u);
    EXPECT_EQ(camera_->lastArgument(0x01), 1'000'000u / 12);
    int mirror = -1;
    ASSERT_EQ(TQ_GetImageMirror(&mirror, device_), TQ_SUCCESS);
    EXPECT_EQ(mirror, 3);
    TQ_ExposureInfo exposure{};
    ASSERT_EQ(TQ_GetExposureInfo(&exposure, device_), TQ_SUCCESS);
    EXPECT_EQ(exposure.value, 100);
    EXPECT_EQ(exposure.autoMode, 1);
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 2048);
    EXPECT_FALSE(std::filesystem::exists(file("K5C")));
}

// Without a folder the file is in the current directory.
TEST_F(SettingsFileTest, WithoutAFolderTheFileIsInTheCurrentDirectory) {
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(folder_);
    useModel("K1M");
    write(folder_ / ("K1M" + std::to_string(device_) + ".ini"), "[Mirror Info]\nMirror=Normal\n");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    int mirror = -1;
    ASSERT_EQ(TQ_GetImageMirror(&mirror, device_), TQ_SUCCESS);
    EXPECT_EQ(mirror, 0);
    ASSERT_EQ(TQ_SaveParaToIniFile(device_), TQ_SUCCESS);
    EXPECT_NE(read(file("K1M")).find("[Snap Control Info]"), std::string::npos);
    std::filesystem::current_path(before);
}

TEST_F(SettingsFileTest, AFileThatCannotBeWrittenIsReported) {
    useModel("K1M");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    const auto missing = folder_ / "no" / "such" / "folder";
    ASSERT_EQ(TQ_DevCapInit(device_, missing.c_str()), TQ_SUCCESS);
    EXPECT_EQ(TQ_SaveParaToIniFile(device_), TQ_E_FAILED);
}

// The start-up tables the load sends before the file's settings.
TEST_F(SettingsFileTest, TheSensorsAreBroughtUpBeforeTheFileIsApplied) {
    openFresh("K6C");
    bool tuningFrame = false;
    for (const camsim::SensorAccess& a : camera_->sensorAccesses()) {
        tuningFrame = tuningFrame || (a.write && a.address == 0x2A);
    }
    EXPECT_TRUE(tuningFrame);
    EXPECT_EQ(camera_->sensorRegister(0x70), 0x0079);
    EXPECT_EQ(camera_->sensorRegister(0x10), 0x0053);

    openFresh("K4C");
    EXPECT_EQ(camera_->sensorRegister(0x034E), 2748);
    EXPECT_EQ(camera_->imageSize(), (std::pair{3664, 2748}));
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 3664);

    openFresh("K3C");
    const auto log = camera_->sensorAccesses();
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const camsim::SensorAccess& a) {
        return a.write && a.address == 201 && a.value == 500;  // the start-up exposure
    }));
    EXPECT_EQ(camera_->imageSize(), (std::pair{1280, 1024}));
}

}  // namespace
}  // namespace ostrel::testing
