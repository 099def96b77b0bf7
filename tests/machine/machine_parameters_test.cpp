// The parameter file: layout, acceptance rule, corrections, short files.
#include "machine/machine_parameters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "platform/message_box.h"

using namespace corvane;
namespace fs = std::filesystem;

namespace {

int32_t wordAt(const std::string& bytes, size_t offset) {
    int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}
void putWord(std::string& bytes, size_t offset, int32_t v) { std::memcpy(bytes.data() + offset, &v, 4); }
void putDouble(std::string& bytes, size_t offset, double v) { std::memcpy(bytes.data() + offset, &v, 8); }
double doubleAt(const std::string& bytes, size_t offset) {
    double v;
    std::memcpy(&v, bytes.data() + offset, 8);
    return v;
}

MachineParameters sample() {
    MachineParameters p;
    p.axes[2] = {2.5, 123.0, 650.0};
    p.markMinRadius = 11;
    p.xRatio = 31.5;
    p.cameraToShaft = {12.25, -3.5};
    p.xyStopPosition = {100.5, 20.25};
    p.heightH1 = -12.0;
    p.offsetD1D2P = {0.5, -0.25, 1.0};
    p.distributionIntervalMs = 120;
    p.angleCompensation[0] = {0.1, 0.2};     // -90
    p.angleCompensation[180] = {-0.3, 0.4};  // +90
    p.platformSpeed = 15.0;
    p.hDownDelayMs = 33;
    p.firstStationToCta = 29;
    p.materialVerification = 1;
    return p;
}

}  // namespace

TEST(MachineParameters, FileIsExactly3288BytesInTheFixedLayout) {
    const MachineParameters p = sample();
    const std::string bytes = encodeMachineParameters(p);
    ASSERT_EQ(bytes.size(), kParameterFileSize);
    EXPECT_EQ(wordAt(bytes, 0), 85);
    EXPECT_EQ(wordAt(bytes, 4), 3276);
    EXPECT_EQ(wordAt(bytes, 3284), 119);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 8 + 2 * 24 + 8), 123.0);  // D1 start speed
    EXPECT_EQ(wordAt(bytes, 176), 11);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 188), 31.5);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 220), 12.25);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 236), 100.5);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 236 + 4 * 8), -12.0);  // Height Of H(1)
    EXPECT_EQ(wordAt(bytes, 316), 120);
    EXPECT_EQ(wordAt(bytes, 320), 100);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 332), 0.1);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 332 + 180 * 16 + 8), 0.4);
    EXPECT_EQ(wordAt(bytes, 3228), 200);
    EXPECT_EQ(wordAt(bytes, 3232), 20);
    EXPECT_DOUBLE_EQ(doubleAt(bytes, 3236), 15.0);
    EXPECT_EQ(wordAt(bytes, 3256), 33);
    EXPECT_EQ(wordAt(bytes, 3264), 29);
    EXPECT_EQ(wordAt(bytes, 3276), 1);
}

TEST(MachineParameters, RoundTripKeepsEveryValue) {
    const MachineParameters p = sample();
    MachineParameters loaded;
    ASSERT_TRUE(decodeMachineParameters(encodeMachineParameters(p), loaded));
    EXPECT_EQ(loaded, p);
}

TEST(MachineParameters, CorrectionsAfterReading) {
    MachineParameters p = sample();
    p.axes[0].stepDistance = -7.5;
    p.headFrame = 7;
    p.platformSpeed = 25.0;
    p.autoFeedOnFailure = 1;
    std::string bytes = encodeMachineParameters(p);
    // The writer stores the absolute step distance; a file from elsewhere may not.
    putDouble(bytes, 8, -7.5);
    MachineParameters loaded;
    ASSERT_TRUE(decodeMachineParameters(bytes, loaded));
    EXPECT_DOUBLE_EQ(loaded.axes[0].stepDistance, 7.5);
    EXPECT_EQ(loaded.headFrame, 2);
    EXPECT_DOUBLE_EQ(loaded.platformSpeed, 20.0);
    EXPECT_EQ(loaded.autoFeedOnFailure, 0);

    p.headFrame = -1;
    p.platformSpeed = -3.0;
    ASSERT_TRUE(decodeMachineParameters(encodeMachineParameters(p), loaded));
    EXPECT_EQ(loaded.headFrame, 0);
    EXPECT_DOUBLE_EQ(loaded.platformSpeed, 0.0);
}

TEST(MachineParameters, OlderShorterLayoutIsAccepted) {
    MachineParameters p = sample();
    p.materialVerification = 0;
    std::string bytes = encodeMachineParameters(p);
    // Older layout: 8 bytes shorter, its end mark where "Material Number
    // Verification " stands now, and nothing after it.
    bytes.resize(3280);
    putWord(bytes, 4, 3268);
    putWord(bytes, 3276, 119);
    MachineParameters loaded;
    loaded.autoFeedOnFailure = 1;
    ASSERT_TRUE(decodeMachineParameters(bytes, loaded));
    EXPECT_EQ(loaded.materialVerification, 0);  // the end mark, corrected back
    EXPECT_EQ(loaded.matchArea, p.matchArea);
    EXPECT_EQ(loaded.autoFeedOnFailure, 0);
    EXPECT_EQ(loaded.firstStationToCta, 29);
}

TEST(MachineParameters, RefusedFilesChangeNothing) {
    const MachineParameters p = sample();
    std::string bytes = encodeMachineParameters(p);
    MachineParameters loaded;
    const MachineParameters defaults;

    std::string badStart = bytes;
    putWord(badStart, 0, 84);
    EXPECT_FALSE(decodeMachineParameters(badStart, loaded));
    std::string badEnd = bytes;
    putWord(badEnd, 3284, 118);
    EXPECT_FALSE(decodeMachineParameters(badEnd, loaded));
    std::string hugeLength = bytes;
    putWord(hugeLength, 4, 0x7fffffff);
    EXPECT_FALSE(decodeMachineParameters(hugeLength, loaded));
    std::string negativeLength = bytes;
    putWord(negativeLength, 4, -8);
    EXPECT_FALSE(decodeMachineParameters(negativeLength, loaded));
    EXPECT_FALSE(decodeMachineParameters("", loaded));
    EXPECT_FALSE(decodeMachineParameters(bytes.substr(0, 6), loaded));
    EXPECT_EQ(loaded, defaults);
}

TEST(MachineParameters, ShortFileKeepsTheFieldsItDoesNotHold) {
    // A header that claims 100 bytes and puts the end mark there: the axis
    // records are read as far as the data goes, the rest keeps its value.
    const MachineParameters p = sample();
    std::string bytes = encodeMachineParameters(p).substr(0, 112);
    putWord(bytes, 4, 100);
    putWord(bytes, 108, 119);
    MachineParameters loaded;
    loaded.markMinRadius = 99;
    ASSERT_TRUE(decodeMachineParameters(bytes, loaded));
    EXPECT_EQ(loaded.axes[2].startSpeed, 123.0);     // within the data
    EXPECT_EQ(loaded.axes[4].maxSpeed, 400.0);       // H record lies past the data: kept
    EXPECT_EQ(loaded.markMinRadius, 99);
}

TEST(MachineParameters, FileLoadAndSaveReportFailures) {
    const fs::path dir = fs::temp_directory_path() / ("corvane-params-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::vector<std::string> shown;
    platform::setMessageBoxSink([&](const platform::MessageBoxRequest& r) {
        shown.push_back(r.text);
        return true;
    });

    MachineParameters p;
    EXPECT_FALSE(loadMachineParameters(dir / "machine.wps", p));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], (dir / "machine.wps").string() + " open Failure!");

    const MachineParameters saved = sample();
    ASSERT_TRUE(saveMachineParameters(dir / "machine.wps", saved));
    EXPECT_EQ(fs::file_size(dir / "machine.wps"), 3288u);
    EXPECT_TRUE(loadMachineParameters(dir / "machine.wps", p));
    EXPECT_EQ(p, saved);

    EXPECT_FALSE(saveMachineParameters(dir / "missing" / "machine.wps", saved));
    EXPECT_EQ(shown.size(), 2u);
    platform::setMessageBoxSink(nullptr);
    fs::remove_all(dir);
}
