// Settings exports and the registers they leave in the simulated camera.
#include <climits>

#include "camera/default_registers.h"
#include "camera/device_table.h"
#include "simulated_camera_fixture.h"

namespace ostrel::testing {
namespace {

TEST_F(SimulatedCameraTest, GainsOfSensor1621AndTheirRegisterValues) {
    openAndInit("K5C");
    ASSERT_EQ(TQ_SetGainRange(128, 1, device_), TQ_SUCCESS);
    const int gains[5] = {40, 64, 8, 33, 49};
    ASSERT_EQ(TQ_SetGainValue(gains, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x35), 0x0068);
    EXPECT_EQ(camera_->sensorRegister(0x2B), 0x3860);
    EXPECT_EQ(camera_->sensorRegister(0x2E), 0x0008);
    EXPECT_EQ(camera_->sensorRegister(0x2D), 0x0061);
    EXPECT_EQ(camera_->sensorRegister(0x2C), 0x2960);
    int back[5] = {};
    ASSERT_EQ(TQ_GetGainValue(back, device_), TQ_SUCCESS);
    EXPECT_EQ(back[1], 64);
    // A gain between the sensor's steps keeps the register's value.
    const int between[5] = {4, 64, 8, 33, 49};
    ASSERT_EQ(TQ_SetGainValue(between, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x35), 0x0068);
}

TEST_F(SimulatedCameraTest, GainsOfSensor8431AndTheRangeCheck) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_SetGainRange(15, 1, device_), TQ_SUCCESS);
    const int gains[5] = {3, 6, 12, 1, 15};
    ASSERT_EQ(TQ_SetGainValue(gains, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x35), 24);
    EXPECT_EQ(camera_->sensorRegister(0x2B), 0x58);
    EXPECT_EQ(camera_->sensorRegister(0x2E), 0x64);
    EXPECT_EQ(camera_->sensorRegister(0x2D), 8);
    EXPECT_EQ(camera_->sensorRegister(0x2C), 0x67);
    const size_t accesses = camera_->sensorAccesses().size();
    const int tooHigh[5] = {16, 1, 1, 1, 1};
    EXPECT_EQ(TQ_SetGainValue(tooHigh, device_), TQ_E_PARAMETER);
    EXPECT_EQ(camera_->sensorAccesses().size(), accesses);  // nothing written
    EXPECT_EQ(camera_->sensorRegister(0x35), 24);
}

TEST_F(SimulatedCameraTest, MirrorModeFourIsRefusedAndSendsNothing) {
    openAndInit("K6C");
    const int before = camera_->framesReceived();
    EXPECT_EQ(TQ_SetImageMirror(4, device_), TQ_E_MIRROR_MODE);
    EXPECT_EQ(TQ_SetImageMirror(-1, device_), TQ_E_MIRROR_MODE);
    EXPECT_EQ(camera_->framesReceived(), before);
    ASSERT_EQ(TQ_SetImageMirror(2, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x20) & 0xC000, 0x4000);
    int mode = -1;
    ASSERT_EQ(TQ_GetImageMirror(&mode, device_), TQ_SUCCESS);
    EXPECT_EQ(mode, 2);
}

TEST_F(SimulatedCameraTest, ResolutionAboveTheSensorBecomesItsMaximum) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_SetResolution(4000, 100, device_), TQ_SUCCESS);
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 1280);
    EXPECT_EQ(r.height, 1024);
    // The sensor window is opened 4 pixels larger than the image.
    EXPECT_EQ(camera_->sensorRegister(0x04), 1283);
    EXPECT_EQ(camera_->sensorRegister(0x03), 1027);
    EXPECT_EQ(camera_->controllerRegister(0x5A06), 0x89u);
    EXPECT_EQ(TQ_SetResolution(0, 100, device_), TQ_E_PARAMETER);
}

TEST_F(SimulatedCameraTest, ExposureRangeIsAlwaysTheSensorsOwn) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_SetExposureRange(10, 5, device_), TQ_SUCCESS);
    int maximum = 0;
    int minimum = 0;
    ASSERT_EQ(TQ_GetExposureRange(&maximum, &minimum, device_), TQ_SUCCESS);
    EXPECT_EQ(maximum, 16383);
    EXPECT_EQ(minimum, 1);
    ASSERT_EQ(TQ_SetExposureValue(20000, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x09), 16383);
    int value = 0;
    ASSERT_EQ(TQ_GetExposureValue(&value, device_), TQ_SUCCESS);
    EXPECT_EQ(value, 16383);
    TQ_ExposureInfo info{};
    ASSERT_EQ(TQ_GetExposureInfo(&info, device_), TQ_SUCCESS);
    EXPECT_EQ(info.rangeMaximum, 16383);
    EXPECT_EQ(info.value, 16383);
}

TEST_F(SimulatedCameraTest, ExposureOfSensor1801SplitsTheShutterWidth) {
    openAndInit("K6C");
    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetExposureRange(0, 0, device_), TQ_SUCCESS);  // the range of this window
    ASSERT_EQ(TQ_SetExposureValue(70000, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x08), 1);
    EXPECT_EQ(camera_->sensorRegister(0x09), 70000 - 65536);
    int value = 0;
    ASSERT_EQ(TQ_GetExposureValue(&value, device_), TQ_SUCCESS);
    EXPECT_EQ(value, 70000);
}

TEST_F(SimulatedCameraTest, ExposureOfSensor1621SendsTheTimingOfTheExtraRows) {
    openAndInit("K5C");
    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetExposureValue(5000, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x09), 5000);
    ASSERT_TRUE(camera_->lastArgument(0x05).has_value());
    EXPECT_GT(*camera_->lastArgument(0x05), 0u);
    ASSERT_EQ(TQ_SetExposureValue(100, device_), TQ_SUCCESS);
    EXPECT_EQ(*camera_->lastArgument(0x05), 0u);  // fewer rows than the image: 0
}

TEST_F(SimulatedCameraTest, TriggerFrequencyIsClampedIntoTheRange) {
    openAndInit("K2M");
    TQ_Range range{};
    ASSERT_EQ(TQ_GetTrigFreqRange(&range, device_), TQ_SUCCESS);
    EXPECT_EQ(range.maximum, 30);
    EXPECT_EQ(range.minimum, 1);
    ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(100, -5, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->lastArgument(0x01), 1'000'000u / 30);
    EXPECT_EQ(camera_->lastArgument(0x02), 0u);
    ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(0, 3, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->lastArgument(0x01), 1'000'000u);
    EXPECT_EQ(camera_->lastArgument(0x02), 3u);
    int frequency = 0;
    int count = 0;
    ASSERT_EQ(TQ_GetSnapTrigFreqImgCount(&frequency, &count, device_), TQ_SUCCESS);
    EXPECT_EQ(frequency, 1);
    EXPECT_EQ(count, 3);
    // A width between the listed ones takes the next larger width's figure.
    ASSERT_EQ(TQ_SetResolution(1100, 800, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_GetTrigFreqRange(&range, device_), TQ_SUCCESS);
    EXPECT_EQ(range.maximum, 30);
    ASSERT_EQ(TQ_GetTrigImgCountRange(&range, device_), TQ_SUCCESS);
    EXPECT_EQ(range.minimum, 0);
}

TEST_F(SimulatedCameraTest, PreviewAndSnapshotModesReachTheCamera) {
    openAndInit("K6C");
    ASSERT_EQ(TQ_SetSnapIOMode(1, 1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 3, device_), TQ_SUCCESS);
    EXPECT_FALSE(camera_->previewMode());
    EXPECT_EQ(camera_->snapKind(), 3);
    EXPECT_EQ(camera_->lastArgument(0x5E), 0x00002013u);  // kind 3, input rising edge, output high
    EXPECT_EQ(camera_->sensorRegister(0x1E), 0x4396);
    ASSERT_EQ(TQ_SetPreviewSnapMode(7, 2, device_), TQ_SUCCESS);  // anything but 0 is preview
    EXPECT_TRUE(camera_->previewMode());
    EXPECT_EQ(camera_->sensorRegister(0x1E), 0x4006);
    int preview = 0;
    int kind = -1;
    ASSERT_EQ(TQ_GetPreviewSnapMode(&preview, &kind, device_), TQ_SUCCESS);
    EXPECT_EQ(preview, 1);
    EXPECT_EQ(kind, 0);
    EXPECT_EQ(TQ_SetSnapIOMode(4, 0, device_), TQ_E_PARAMETER);
}

TEST_F(SimulatedCameraTest, SnapshotRegistersOfTheWideSensor) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 1, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(27), 0);
    EXPECT_EQ(camera_->sensorRegister(7), 920);
    EXPECT_EQ(camera_->sensorRegister(32), 981);
    // The machine's sequence: exposure, trigger, snapshot, mirror.
    ASSERT_EQ(TQ_SetExposureEnable(1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetExposureValue(200, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x09), 200);
    ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(40, 0, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->lastArgument(0x01), 25'000u);
    ASSERT_EQ(TQ_SetImageMirror(2, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x0D) & 0x30, 0x20);
    for (const camsim::SensorAccess& a : camera_->sensorAccesses()) {
        if (a.write) {
            EXPECT_EQ(a.code, 0xB8) << "register " << a.address;
        }
    }
}

TEST_F(SimulatedCameraTest, RegionOfInterestChecksItsArguments) {
    openAndInit("K6M");
    EXPECT_EQ(TQ_SetROI(-16, 0, 640, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(8, 0, 640, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(16, 3, 640, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(16, 2, 0, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(2560, 0, 640, 480, device_), TQ_E_PARAMETER);
    const auto m = messages();
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0], "Error: Invalible Parameter 1or2!");
    EXPECT_EQ(m[1], "Error: Invalible Parameter 1or2!");
    EXPECT_EQ(m[2], "Error: Invalible Parameter 1or2!");
    EXPECT_EQ(m[3], "Error: Invalible Parameter 3or4!");
    EXPECT_EQ(m[4], "Error: Invalible Parameter 3or4!");
    ASSERT_EQ(TQ_SetROI(16, 2, 640, 480, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x02), 16);
    EXPECT_EQ(camera_->sensorRegister(0x04), 639);
    EXPECT_EQ(camera_->imageSize(), (std::pair{640, 480}));
    // With a horizontal mirror the offset counts from the right edge.
    ASSERT_EQ(TQ_SetImageMirror(2, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetROI(16, 2, 640, 480, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x02), 2592 - 16 - 640);
}

// Arguments near the ends of the int range: refused or clamped, never
// computed with an overflow.
TEST_F(SimulatedCameraTest, HugeRegionsAreRefused) {
    openAndInit("K6M");
    EXPECT_EQ(TQ_SetROI(0x7FFFFFF0, 0, 0x7FFFFFF0, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(0, 0x7FFFFFFE, 640, 0x7FFFFFFE, device_), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_SetROI(2560, 0, 0x7FFFFFFF, 480, device_), TQ_E_PARAMETER);
    EXPECT_EQ(messages().size(), 3u);
}

TEST_F(SimulatedCameraTest, HugeSnapshotExposureTimesAreClampedIntoTheExposureRange) {
    openAndInit("K4C");
    ASSERT_EQ(TQ_SetResolution(3664, 2748, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetSnapExpTime(INT_MAX, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x0202), 65534);
    int time = 0;
    ASSERT_EQ(TQ_GetSnapExpTime(&time, device_), TQ_SUCCESS);
    EXPECT_EQ(time, INT_MAX);
    ASSERT_EQ(TQ_SetSnapExpTime(INT_MIN, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x0202), 2);
}

TEST_F(SimulatedCameraTest, ResolutionModesOfSensor1801) {
    openAndInit("K6M");
    EXPECT_EQ(TQ_SetResolutionMode(5, device_), TQ_E_FAILED);
    EXPECT_EQ(messages().back(), "Error: Invalible Mode!");
    EXPECT_TRUE(deviceAt(device_)->stream.built.load());  // nothing was released
    ASSERT_EQ(TQ_SetResolutionMode(3, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x22), 0x33);
    EXPECT_EQ(camera_->imageSize(), (std::pair{640, 480}));
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.height, 480);
}

TEST_F(SimulatedCameraTest, BlackLevelOfSensor1801IsNotAdjustable) {
    openAndInit("K6C");
    EXPECT_EQ(TQ_SetBlackLevelEnable(0, device_), TQ_E_NOT_ADJUSTABLE);
    int enable = 0;
    ASSERT_EQ(TQ_GetBlackLevelEnable(&enable, device_), TQ_SUCCESS);
    EXPECT_EQ(enable, 1);
    const int values[5] = {0, 1, 2, 3, 4};
    EXPECT_EQ(TQ_SetBlackLevelValue(values, device_), TQ_E_NOT_ADJUSTABLE);
    EXPECT_NE(TQ_SetBlackLevelInfo(1, 1, 255, -255, values, device_), TQ_SUCCESS);
}

TEST_F(SimulatedCameraTest, BlackLevelOfSensor8431) {
    openAndInit("K2M");
    ASSERT_EQ(TQ_SetBlackLevelRange(255, -255, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetBlackLevelEnable(0, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x62) & 2, 2);
    ASSERT_EQ(TQ_SetBlackLevelAuto(0, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x62) & 1, 1);
    const int values[5] = {0, 10, -10, 20, 30};
    ASSERT_EQ(TQ_SetBlackLevelValue(values, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x61), static_cast<uint16_t>(-10));
    EXPECT_EQ(camera_->sensorRegister(0x64), 30);
    const int outside[5] = {0, 300, 0, 0, 0};
    EXPECT_EQ(TQ_SetBlackLevelValue(outside, device_), TQ_E_PARAMETER);
    TQ_BlackLevelInfo info{};
    ASSERT_EQ(TQ_GetBlackLevelInfo(&info, device_), TQ_SUCCESS);
    EXPECT_EQ(info.values[2], -10);
    EXPECT_EQ(info.rangeMinimum, -255);
}

TEST_F(SimulatedCameraTest, SnapInfoSetsTheGroupAtOnce) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetSnapInfo(0, 2, 30, 5000, 50, 2, 0, 0, 0, 0, 3, 1, device_), TQ_SUCCESS);
    TQ_SnapInfo info{};
    ASSERT_EQ(TQ_GetSnapInfo(&info, device_), TQ_SUCCESS);
    EXPECT_EQ(info.preview, 0);
    EXPECT_EQ(info.snapKind, 2);
    EXPECT_EQ(info.debounceTime, 30);
    EXPECT_EQ(info.exposureTime, 5000);
    EXPECT_EQ(info.triggerFrequency, 50);
    EXPECT_EQ(info.triggerImageCount, 2);
    EXPECT_EQ(info.exposureTimeMaximum, 2'000'000);
    EXPECT_EQ(info.exposureTimeMinimum, 10);
    EXPECT_EQ(info.triggerFrequencyMaximum, 100);
    EXPECT_EQ(info.inputMode, 3);
    EXPECT_EQ(info.outputMode, 1);
    EXPECT_EQ(camera_->lastArgument(0x5D), 30u);
    EXPECT_EQ(camera_->lastArgument(0x5E), 0x00001012u);
}

}  // namespace
}  // namespace ostrel::testing

namespace ostrel::testing {
namespace {

TEST_F(SimulatedCameraTest, DefaultRegisterSetOfSensor1801) {
    openAndInit("K6C");
    const int transfers = camera_->commandCount(0x5C);
    ASSERT_EQ(programDefaultRegisters(*deviceAt(device_), device_), TQ_SUCCESS);
    // Clock set-up, the register set, the tuning frame: three frames.
    EXPECT_EQ(camera_->commandCount(0x5C), transfers + 3);
    EXPECT_EQ(camera_->sensorRegister(0x10), 0x0053);
    EXPECT_EQ(camera_->sensorRegister(0x11), 0x1801);
    EXPECT_EQ(camera_->sensorRegister(0x20), 0xC000);
    EXPECT_EQ(camera_->sensorRegister(0x04), 2591);
    EXPECT_EQ(camera_->sensorRegister(0x03), 1943);
    EXPECT_EQ(camera_->sensorRegister(0x2C), 8);
    EXPECT_EQ(camera_->sensorRegister(0x09), 1943);
    EXPECT_EQ(camera_->sensorRegister(0x60), 32);
    EXPECT_EQ(camera_->sensorRegister(0x70), 0x0079);
    EXPECT_EQ(camera_->sensorRegister(0x57), 0x0007);
    EXPECT_FALSE(deviceAt(device_)->stream.built.load());
    int maximum = 0;
    int minimum = 0;
    ASSERT_EQ(TQ_GetGainRange(&maximum, &minimum, device_), TQ_SUCCESS);
    EXPECT_EQ(maximum, 128);
    int frequency = 0;
    int count = -1;
    ASSERT_EQ(TQ_GetSnapTrigFreqImgCount(&frequency, &count, device_), TQ_SUCCESS);
    EXPECT_EQ(frequency, 14);
    EXPECT_EQ(count, 0);
}

TEST_F(SimulatedCameraTest, DefaultRegisterSetOfSensor8431LeavesTheHighShutterAlone) {
    openAndInit("K2M");
    camera_->clearLog();
    ASSERT_EQ(programDefaultRegisters(*deviceAt(device_), device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x20), 0x4000);
    EXPECT_EQ(camera_->sensorRegister(0x62), 1176);
    EXPECT_EQ(camera_->sensorRegister(0x63), 463);
    for (const camsim::SensorAccess& a : camera_->sensorAccesses()) {
        EXPECT_FALSE(a.write && a.address == 0x08);
    }
    int colour = 1;
    ASSERT_EQ(TQ_GetImageColorStat(&colour, device_), TQ_SUCCESS);
    EXPECT_EQ(colour, 0);
}

TEST_F(SimulatedCameraTest, DefaultRegisterSetIsOnlyForTheStandardSensors) {
    openAndInit("K1M");
    EXPECT_EQ(programDefaultRegisters(*deviceAt(device_), device_), TQ_E_DEVICE_NOT_FOUND);
}

}  // namespace
}  // namespace ostrel::testing
