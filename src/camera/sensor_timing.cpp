// Row times of the sensors in pixel-clock periods.
#include "camera/sensor_timing.h"

#include <algorithm>

#include "camera/camera_types.h"

namespace ostrel {

namespace {

// The wide-format sensors (0x1313, 0x1324) run a 26.6 MHz clock; a row is the
// window width plus the horizontal blanking.
constexpr double kK1ClockPeriod = 1.0 / 26.6e6;

}  // namespace

double rowTimeSeconds(const Device& d) {
    const auto& r = d.mirror.reg;
    const int columnSize = r[reg::kColumnSize];
    const int hblank = r[reg::kHorizontalBlanking];
    switch (d.sensorId) {
        case kSensor8431:
            return (hblank + columnSize + 226) * kPixelClockPeriod;
        case kSensor1801: {
            const int columnMode = r[reg::kColumnAddressMode];
            const int s = 2 * (columnMode & 7) + 2;
            const int w = (columnSize + s) / s;
            const int rowBin = (r[reg::kRowAddressMode] >> 4) & 3;
            const int columnBin = (columnMode >> 4) & 3;
            int h = hblank + 1;
            if (columnBin != 2) {
                const int c = columnBin == 0 ? 80 : columnBin == 1 ? 40 : 20;
                h = std::max(h, c / 2 + rowBin + 411);
            }
            return std::max(w + h, 346 * rowBin + 486) * kPixelClockPeriod;
        }
        case kSensor1621: {
            // Column term: the window over the skip factor, rounded up to
            // even, plus a blanking of at least 21 and a bin-dependent
            // overhead; row term: shutter delay plus the bins' read time.
            const int columnMode = r[reg::kColumnAddressMode];
            const int skip = (columnMode & 7) + 1;
            const int columnBin = (columnMode >> 4) & 3;
            const int rowBin = (r[reg::kRowAddressMode] >> 4) & 3;
            int w = (columnSize + 1 + skip - 1) / skip;
            w += w & 1;
            const int columnTerm = w + std::max(hblank, 21) + 244 + 64 * columnBin;
            const int rowTerm = r[reg::kShutterDelay] + (rowBin + 1) * 316 + 242;
            return std::max(columnTerm, rowTerm) * kPixelClockPeriod;
        }
        case kSensor1313:
        case kSensor1324:
            return (std::max(d.width, 1) + std::max<int>(hblank, 61)) * kK1ClockPeriod;
        default:
            return -1.0;
    }
}

std::optional<ExposureRange> sensorExposureRange(const Device& d) {
    switch (d.sensorId) {
        case kSensor1621:
        case kSensor1801: {
            const double row = rowTimeSeconds(d);
            const int rows = row > 0 ? static_cast<int>(std::min(2.0 / row, 2.0e9)) : 65535;
            return ExposureRange{rows, 1};
        }
        case kSensor8431:
            return ExposureRange{16383, 1};
        case kSensor1313:
        case kSensor1324:
            return ExposureRange{32765, 1};
        case kSensor2C01:
            return ExposureRange{65534, 2};
        default:
            break;
    }
    if (isK3(d.model)) {
        return ExposureRange{65535, 1};
    }
    return std::nullopt;
}

}  // namespace ostrel
