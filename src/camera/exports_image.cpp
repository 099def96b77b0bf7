// Image data, image information and the image geometry settings.
#include <cstdlib>
#include <cstring>

#include "camera/export_support.h"
#include "camera/message_box.h"
#include "camera/register_access.h"
#include "camera/stream.h"

using namespace ostrel;

namespace {

// Column start that the mirror leaves the window with on sensor 0x1801.
constexpr uint16_t k1801MirroredColumnStart = 18;

int skipOf(uint16_t addressMode) {
    return (addressMode & 7) + 1;
}

// Rebuilds the buffers after a change of image geometry; answers the build's code.
uint32_t rebuild(Device& d) {
    return buildStreamBuffers(d);
}

uint32_t setResolutionStandard(Device& d, int width, int height) {
    writeController(d, wire::kGeometryChangeRegister, 0x00000089u);
    sleepMs(50);
    releaseStreamBuffers(d);
    d.width = width;
    d.height = height;
    // The sensor window is opened 4 pixels larger than the image; the mirror
    // keeps the image's own size.
    writeSensor(d, reg::kColumnSize, static_cast<uint16_t>(width - 1 + 4));
    writeSensor(d, reg::kRowSize, static_cast<uint16_t>(height - 1 + 4));
    d.mirror.reg[reg::kColumnSize] = static_cast<uint16_t>(width - 1);
    d.mirror.reg[reg::kRowSize] = static_cast<uint16_t>(height - 1);
    switch (d.sensorId) {
        case kSensor1801:
            writeSensor(d, reg::kRowAddressMode, 0);
            writeSensor(d, reg::kColumnAddressMode, 0);
            if (d.mirrorMode.load() >= 2) {
                writeSensor(d, reg::kColumnStart, k1801MirroredColumnStart);
            }
            writeSensor(d, reg::kRowStart, 54);
            break;
        case kSensor1621:
            writeSensor(d, reg::kRowAddressMode, 0);
            writeSensor(d, reg::kColumnAddressMode, 0);
            writeSensor(d, reg::kColumnStart, 32);
            writeSensor(d, reg::kRowStart, 20);
            writeSensor(d, reg::kHorizontalBlanking, 142);
            writeSensor(d, reg::kVerticalBlanking, 25);
            break;
        case kSensor8431:
            writeSensor(d, reg::kColumnStart, 20);
            writeSensor(d, reg::kRowStart, 12);
            break;
        default:
            break;
    }
    sleepMs(20);
    return rebuild(d);
}

uint32_t setResolution2C01(Device& d, int width, int height) {
    if (width < 1 || height < 2) {
        return TQ_E_PARAMETER;
    }
    releaseStreamBuffers(d);
    const int frameLength = height + 143;
    int lineLength = width < 514 ? 1648 : width + 1134;
    lineLength = std::max(lineLength, 2 * width + 94);
    d.lineLength = lineLength;
    byteWideAccess(d, 0x0340, static_cast<uint16_t>(frameLength), true);
    byteWideAccess(d, 0x0342, static_cast<uint16_t>(lineLength), true);
    byteWideAccess(d, 0x0344, 112, true);
    byteWideAccess(d, 0x0346, 8, true);
    byteWideAccess(d, 0x0348, static_cast<uint16_t>(width < 80 ? 192 : width + 111), true);
    byteWideAccess(d, 0x034A, static_cast<uint16_t>(height + 7), true);
    byteWideAccess(d, 0x034C, static_cast<uint16_t>(width), true);
    d.width = width;
    d.height = height;
    return rebuild(d);
}

// The window of the 752-wide sensors: start, size and, for narrow windows,
// the horizontal blanking that keeps the row long enough. On these sensors
// register 0x01 holds the column start and 0x02 the row start, and the sizes
// are the window's own width and height.
void writeK1Window(Device& d, int column, int row, int width, int height) {
    writeSensor(d, 0x01, static_cast<uint16_t>(column + 1));
    writeSensor(d, 0x02, static_cast<uint16_t>(row + 4));
    writeSensor(d, reg::kRowSize, static_cast<uint16_t>(height));
    writeSensor(d, reg::kColumnSize, static_cast<uint16_t>(width));
    if (width < 566) {
        writeSensor(d, reg::kHorizontalBlanking, static_cast<uint16_t>(660 - width));
    }
}

// The K3 window: column start and end in units of 8, first and last row.
void writeK3Window(Device& d, int column, int row, int width, int height) {
    wideAddressAccess(d, 195, 1, true);
    wideAddressAccess(d, 256,
                      static_cast<uint16_t>(((column + width) / 8 + 255) * 256 | column / 8), true);
    wideAddressAccess(d, 257, static_cast<uint16_t>(row), true);
    wideAddressAccess(d, 258, static_cast<uint16_t>(row + height - 1), true);
    d.mirror.reg[reg::kColumnSize] = static_cast<uint16_t>(width - 1);
    d.mirror.reg[reg::kRowSize] = static_cast<uint16_t>(height - 1);
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_GetFrameBuffer(uint32_t* size, unsigned char** buffer, int* width,
                                      int* height, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || size == nullptr || buffer == nullptr || width == nullptr ||
            height == nullptr) {
            return TQ_E_FAILED;
        }
        Stream& s = d->stream;
        std::lock_guard lock(s.deliveryLock);
        if (s.delivery.empty()) {
            return TQ_E_FAILED;
        }
        auto* copy = static_cast<unsigned char*>(std::malloc(s.delivery.size()));
        if (copy == nullptr) {
            return TQ_E_FAILED;
        }
        std::memcpy(copy, s.delivery.data(), s.delivery.size());
        std::free(*buffer);
        *buffer = copy;
        *size = static_cast<uint32_t>(s.delivery.size());
        *width = s.width;
        *height = s.height;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetRawData(TQ_FrameInfo* frame, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || frame == nullptr) {
            return TQ_E_FAILED;
        }
        Stream& s = d->stream;
        // Mono cameras assemble their packets straight in the converted buffer.
        std::vector<uint8_t>& raw = conversionOf(*d) == Conversion::None ? s.converted : s.assembly;
        frame->image = raw.empty() ? nullptr : raw.data();
        frame->width = static_cast<uint32_t>(s.width);
        frame->height = static_cast<uint32_t>(s.height);
        frame->bytesPerPixel = 1;
        frame->device = static_cast<uint32_t>(device);
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetRGBData(TQ_FrameInfo* frame, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || frame == nullptr) {
            return TQ_E_FAILED;
        }
        Stream& s = d->stream;
        frame->image = s.converted.empty() ? nullptr : s.converted.data();
        frame->width = static_cast<uint32_t>(s.width);
        frame->height = static_cast<uint32_t>(s.height);
        // The converted image's real pixel size: a mono camera's is one byte.
        frame->bytesPerPixel = static_cast<uint32_t>(s.bytesPerPixel);
        frame->device = static_cast<uint32_t>(device);
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetParamInfo(int kind, TQ_VideoInfo* info, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || info == nullptr) {
            return TQ_E_FAILED;
        }
        if (kind != 0) {
            return TQ_E_PARAMETER;
        }
        info->width = static_cast<uint16_t>(d->width);
        info->height = static_cast<uint16_t>(d->height);
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetFrameRate(double* framesPerSecond, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || framesPerSecond == nullptr) {
            return TQ_E_FAILED;
        }
        *framesPerSecond = d->stream.frameRate.load();
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetTestInfo(uint32_t* frames, uint32_t* packetsLost,
                                   uint32_t* framesWithLosses, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || frames == nullptr || packetsLost == nullptr ||
            framesWithLosses == nullptr) {
            return TQ_E_FAILED;
        }
        *frames = d->stream.framesReceived.load();
        *packetsLost = d->stream.packetsLost.load();
        *framesWithLosses = d->stream.framesWithLosses.load();
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetImageChannel(int* bytesPerPixel, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (bytesPerPixel == nullptr) {
            return TQ_E_FAILED;
        }
        *bytesPerPixel = d->bytesPerPixel;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetMaxResolution(int* width, int* height, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto size = maxResolutionOf(d->sensorId, d->model);
        if (!size) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (width == nullptr || height == nullptr) {
            return TQ_E_FAILED;
        }
        *width = size->width;
        *height = size->height;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetResolution(TQ_Resolution* resolution, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (resolution == nullptr) {
            return TQ_E_FAILED;
        }
        const auto& r = d->mirror.reg;
        if (isStandard(*d)) {
            // A skipped read-out gives an image smaller than the sensor window.
            resolution->width = (r[reg::kColumnSize] + 1) / skipOf(r[reg::kColumnAddressMode]);
            resolution->height = (r[reg::kRowSize] + 1) / skipOf(r[reg::kRowAddressMode]);
            return TQ_SUCCESS;
        }
        if (isK3(d->model)) {
            resolution->width = r[reg::kColumnSize] + 1;
            resolution->height = r[reg::kRowSize] + 1;
            return TQ_SUCCESS;
        }
        if (isK1Sensor(d->sensorId) || d->sensorId == kSensor2C01) {
            resolution->width = d->width;
            resolution->height = d->height;
            return TQ_SUCCESS;
        }
        return TQ_E_DEVICE_NOT_FOUND;
    });
}

OSTREL_API uint32_t TQ_SetImageMirror(int mode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (mode < 0 || mode > 3) {
            return TQ_E_MIRROR_MODE;
        }
        if (!isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto bits = [mode](uint16_t value, uint16_t vertical, uint16_t horizontal) {
            value = static_cast<uint16_t>(value & ~(vertical | horizontal));
            if (mode & 1) {
                value |= vertical;
            }
            if (mode & 2) {
                value |= horizontal;
            }
            return value;
        };
        if (isStandard(*d)) {
            writeSensor(*d, reg::kMirror, bits(d->mirror.reg[reg::kMirror], 0x8000, 0x4000));
            writeSensor(*d, reg::kColumnStart, d->mirror.reg[reg::kColumnStart]);
        } else if (isK1Sensor(d->sensorId)) {
            writeSensor(*d, reg::kReadModeK1, bits(d->mirror.reg[reg::kReadModeK1], 0x10, 0x20));
        } else if (d->sensorId == kSensor2C01) {
            byteWideAccess(*d, 0x3040, bits(d->mirror.wideValue(0x3040), 0x8000, 0x4000), true);
        }
        d->mirrorMode = mode;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetImageMirror(int* mode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || mode == nullptr) {
            return TQ_E_FAILED;
        }
        *mode = d->mirrorMode.load();
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetImageColorStat(int color, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_FAILED;
        }
        d->colour = color != 0 ? 1 : 0;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetImageColorStat(int* color, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || color == nullptr) {
            return TQ_E_FAILED;
        }
        *color = d->colour.load();
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetImageGammaStat(int gamma, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_FAILED;
        }
        d->gammaOn = gamma != 0 ? 1 : 0;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_GetImageGammaStat(int* gamma, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || gamma == nullptr) {
            return TQ_E_FAILED;
        }
        *gamma = d->gammaOn.load();
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SetResolution(int width, int height, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto max = maxResolutionOf(d->sensorId, d->model);
        if (!max) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (width > max->width || height > max->height) {
            width = max->width;
            height = max->height;
        }
        if (width < 1 || height < 1) {
            return TQ_E_PARAMETER;
        }
        StreamPause pause(*d, device);
        if (isStandard(*d)) {
            return setResolutionStandard(*d, width, height);
        }
        if (d->sensorId == kSensor2C01) {
            return setResolution2C01(*d, width, height);
        }
        releaseStreamBuffers(*d);
        if (isK1Sensor(d->sensorId)) {
            writeK1Window(*d, (max->width - width) / 2, (max->height - height) / 2, width, height);
        } else {
            writeK3Window(*d, 0, 0, width, height);
        }
        d->width = width;
        d->height = height;
        return rebuild(*d);
    });
}

OSTREL_API uint32_t TQ_SetROI(int columnOffset, int rowOffset, int width, int height, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || !isSupported(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        const auto max = maxResolutionOf(d->sensorId, d->model);
        auto refuse = [](const char* text) {
            showMessage(text, "Error");
            return TQ_E_PARAMETER;
        };
        constexpr const char* kOffsets = "Invalible Parameter 1or2!";
        constexpr const char* kSizes = "Invalible Parameter 3or4!";
        if (columnOffset < 0 || rowOffset < 0) {
            return refuse(kOffsets);
        }
        if (width <= 0 || height <= 0) {
            return refuse(kSizes);
        }
        if (isStandard(*d) && (columnOffset % 16 != 0 || rowOffset % 2 != 0)) {
            return refuse(kOffsets);
        }
        if (isK1Sensor(d->sensorId)) {
            if (columnOffset % 4 != 0 || rowOffset % 2 != 0) {
                return refuse(kOffsets);
            }
            if (width % 2 != 0 || height % 4 != 0) {
                return refuse(kSizes);
            }
        }
        if (isK3(d->model)) {
            if (columnOffset % 8 != 0) {
                return refuse(kOffsets);
            }
            if (width % 8 != 0) {
                return refuse(kSizes);
            }
        }
        // Compared without adding, so that no argument can overflow.
        if (width > max->width - columnOffset || height > max->height - rowOffset) {
            return refuse(kSizes);
        }
        // With a mirror the offsets count from the far edges.
        const int mode = d->mirrorMode.load();
        const int column = (mode & 2) ? max->width - columnOffset - width : columnOffset;
        const int row = (mode & 1) ? max->height - rowOffset - height : rowOffset;

        StreamPause pause(*d, device);
        if (isStandard(*d)) {
            writeController(*d, wire::kGeometryChangeRegister, 0x00000089u);
        }
        releaseStreamBuffers(*d);
        if (isStandard(*d)) {
            writeSensor(*d, reg::kColumnStart, static_cast<uint16_t>(column));
            writeSensor(*d, reg::kRowStart, static_cast<uint16_t>(row));
            writeSensor(*d, reg::kColumnSize, static_cast<uint16_t>(width - 1));
            writeSensor(*d, reg::kRowSize, static_cast<uint16_t>(height - 1));
        } else if (isK1Sensor(d->sensorId)) {
            writeK1Window(*d, column, row, width, height);
        } else if (isK3(d->model)) {
            writeK3Window(*d, column, row, width, height);
        } else {
            byteWideAccess(*d, 0x0344, static_cast<uint16_t>(112 + column), true);
            byteWideAccess(*d, 0x0346, static_cast<uint16_t>(8 + row), true);
            byteWideAccess(*d, 0x0348, static_cast<uint16_t>(112 + column + width - 1), true);
            byteWideAccess(*d, 0x034A, static_cast<uint16_t>(8 + row + height - 1), true);
            byteWideAccess(*d, 0x034C, static_cast<uint16_t>(width), true);
            byteWideAccess(*d, 0x034E, static_cast<uint16_t>(height), true);
        }
        d->width = width;
        d->height = height;
        return rebuild(*d);
    });
}

OSTREL_API uint32_t TQ_SetResolutionMode(int mode, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (isK3(d->model) || isK1Sensor(d->sensorId) || d->sensorId == kSensor2C01) {
            return TQ_E_NOT_ADJUSTABLE;
        }
        if (!isStandard(*d)) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        // A mode the sensor does not have changes nothing, buffers included.
        if (mode < 0 || mode > 3) {
            showMessage("Invalible Mode!", "Error");
            return TQ_E_FAILED;
        }
        struct ModeEntry {
            int width, height, columnSize, rowSize, addressMode, mirroredColumnStart;
        };
        static constexpr ModeEntry k1801[4] = {{2592, 1944, 2591, 1943, 0x00, 18},
                                               {1024, 768, 2047, 1535, 0x11, 20},
                                               {800, 600, 1599, 1199, 0x11, 20},
                                               {640, 480, 2559, 1919, 0x33, 24}};
        static constexpr ModeEntry k1621[4] = {{2048, 1536, 2047, 1535, 0x00, 32},
                                               {1024, 768, 2047, 1535, 0x11, 32},
                                               {800, 600, 1599, 1199, 0x11, 32},
                                               {512, 384, 2047, 1535, 0x33, 32}};
        // This sensor has no skipping: its modes are centred windows.
        static constexpr ModeEntry k8431[4] = {{1280, 1024, 1279, 1023, 0x00, 20},
                                               {1024, 768, 1023, 767, 0x00, 148},
                                               {800, 600, 799, 599, 0x00, 260},
                                               {640, 480, 639, 479, 0x00, 340}};
        const ModeEntry& e = d->sensorId == kSensor1801   ? k1801[mode]
                             : d->sensorId == kSensor1621 ? k1621[mode]
                                                          : k8431[mode];
        StreamPause pause(*d, device);
        writeController(*d, wire::kGeometryChangeRegister, 0u);
        releaseStreamBuffers(*d);
        const bool horizontal = (d->mirrorMode.load() & 2) != 0;
        writeSensor(*d, reg::kColumnSize, static_cast<uint16_t>(e.columnSize));
        writeSensor(*d, reg::kRowSize, static_cast<uint16_t>(e.rowSize));
        writeSensor(*d, reg::kRowAddressMode, static_cast<uint16_t>(e.addressMode));
        writeSensor(*d, reg::kColumnAddressMode, static_cast<uint16_t>(e.addressMode));
        if (horizontal || d->sensorId == kSensor8431) {
            writeSensor(*d, reg::kColumnStart, static_cast<uint16_t>(e.mirroredColumnStart));
        }
        if (d->sensorId == kSensor1801) {
            writeSensor(*d, reg::kRowStart, 54);
        } else if (d->sensorId == kSensor1621) {
            writeSensor(*d, reg::kHorizontalBlanking, 142);
            writeSensor(*d, reg::kVerticalBlanking, 25);
        }
        d->width = e.width;
        d->height = e.height;
        return rebuild(*d);
    });
}

OSTREL_API uint32_t TQ_SetPacketSize(int payloadBytes, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || d->open.load() == 0) {
            return TQ_E_DEVICE_NOT_OPEN;
        }
        // A packet carries at least a little and fits a jumbo frame.
        if (payloadBytes < 16 || payloadBytes > 9000 - static_cast<int>(wire::kHeaderSize)) {
            return TQ_E_PARAMETER;
        }
        StreamPause pause(*d, device);
        const auto version = readController(*d, wire::kFirmwareVersionRegister, 1);
        if (!version) {
            return TQ_E_NO_REPLY;
        }
        if ((*version)[0] < wire::kPacketSizeVersion) {
            d->payload = wire::kDefaultPayload;
        } else {
            writeController(*d, wire::kPacketSizeRegister, static_cast<uint32_t>(payloadBytes));
            d->payload = static_cast<uint32_t>(payloadBytes);
        }
        releaseStreamBuffers(*d);
        return rebuild(*d);
    });
}

}  // extern "C"
