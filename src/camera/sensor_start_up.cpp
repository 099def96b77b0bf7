// Start-up tables of the sensors, sent by the settings file load.
#include "camera/sensor_start_up.h"

#include <vector>

#include "camera/camera_types.h"
#include "camera/register_access.h"

namespace ostrel {

namespace {

struct WideWrite {
    uint16_t address;
    uint16_t value;
};

// Our own start-up table of the K3 models (16-bit addresses): normal
// read-out of the whole 1280 x 1024 sensor in preview, unit gain and a
// middle exposure, every window and gain register written once so that the
// sensor's state no longer depends on what it did before.
constexpr WideWrite kStartUpK3[] = {
    {192, 1},                    // preview read-out
    {195, 1},                    // the window below applies at once
    {256, (1280 / 8 - 1) << 8},  // column blocks of 8: last 159, first 0
    {257, 0},                    // first row
    {258, 1023},                 // last row
    {200, 1000},                 // row length
    {201, 500},                  // exposure rows
    {204, 1},                    // global gain as the file default gives it
};

// Our own start-up table of sensor 0x2C01 (byte-wide 16-bit addresses): the
// whole 3664 x 2748 sensor with the frame and line lengths the resolution
// setting gives it, no mirror, unit gains, the black level pedestal at 0.
constexpr WideWrite kStartUp2C01[] = {
    {0x0340, 2748 + 143},     // frame length
    {0x0342, 2 * 3664 + 94},  // line length
    {0x0344, 112},            // first column
    {0x0346, 8},              // first row
    {0x0348, 3664 + 111},     // last column
    {0x034A, 2748 + 7},       // last row
    {0x034C, 3664},           // output width
    {0x034E, 2748},           // output height
    {0x3040, 0x0000},         // read mode: no mirror
    {0x305E, 0x1040},         // global gain 1
    {0x3056, 0x1040},         // G1
    {0x305C, 0x1040},         // G2
    {0x305A, 0x1040},         // R
    {0x3058, 0x1040},         // B
    {0x301E, 0x0000},         // black level pedestal
};

// Our own three entries after the 23 tuning registers of sensor 0x1801:
// register 0x2A cleared, and the read mode and the mirror register written
// with the values just read back, so that the frame changes neither.
constexpr uint8_t kExtraTuningRegister1801 = 0x2A;
constexpr uint16_t kExtraTuningValue1801 = 0x0000;

}  // namespace

void startUpSensor(Device& d) {
    if (isK3(d.model)) {
        for (const WideWrite& w : kStartUpK3) {
            wideAddressAccess(d, w.address, w.value, true);
        }
        return;
    }
    if (d.sensorId == kSensor2C01) {
        for (const WideWrite& w : kStartUp2C01) {
            byteWideAccess(d, w.address, w.value, true);
        }
        return;
    }
    refreshRegisterMirror(d);
    if (d.sensorId != kSensor1801) {
        return;
    }
    sendSensorEntries(d, kClockSetUpRegisters1801, kClockSetUpValues1801, true);
    std::vector<uint8_t> regs(kTuningRegisters1801.begin(), kTuningRegisters1801.end());
    std::vector<uint16_t> values(kTuningValues1801.begin(), kTuningValues1801.end());
    regs.push_back(kExtraTuningRegister1801);
    values.push_back(kExtraTuningValue1801);
    regs.push_back(reg::kReadMode);
    values.push_back(d.mirror.reg[reg::kReadMode]);
    regs.push_back(reg::kMirror);
    values.push_back(d.mirror.reg[reg::kMirror]);
    sendSensorEntries(d, regs, values, true);
}

}  // namespace ostrel
