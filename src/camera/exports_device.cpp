// Enumerate, open, capture initialisation, release, close, start and stop.
#include <cstdlib>
#include <cstring>

#include "camera/adapters.h"
#include "camera/export_support.h"
#include "camera/register_access.h"
#include "camera/sensor_timing.h"
#include "camera/stream.h"

namespace ostrel {

void resetCameraState(Device& d) {
    d.model.clear();
    d.modelCode = 0;
    d.sensorId = 0;
    d.width = d.height = d.bytesPerPixel = 0;
    d.payload = wire::kDefaultPayload;
    d.lineLength = 0;
    d.mirror = RegisterMirror{};
    d.mirrorMode = 0;
    d.exposure = ExposureSettings{};
    d.gain = FiveValueSettings{};
    d.blackLevel = FiveValueSettings{};
    d.snap.preview = 1;
    d.snap.kind = 0;
    d.snap.triggerPending = 0;
}

void initialiseSettingsRanges(Device& d) {
    if (d.exposure.rangeMax == 0 && d.exposure.rangeMin == 0) {
        if (auto r = sensorExposureRange(d)) {
            d.exposure.rangeMax = r->maximum;
            d.exposure.rangeMin = r->minimum;
        }
    }
    if (d.gain.rangeMax == 0 && d.gain.rangeMin == 0) {
        if (d.sensorId == kSensor8431) {
            d.gain.rangeMax = 15;
            d.gain.rangeMin = 1;
        } else if (d.sensorId == kSensor2C01) {
            d.gain.rangeMax = 31;
            d.gain.rangeMin = 1;
        } else if (isK1Sensor(d.sensorId)) {
            d.gain.rangeMax = 64;
            d.gain.rangeMin = 16;
        } else {
            d.gain.rangeMax = 128;
            d.gain.rangeMin = 1;
        }
    }
    if (d.blackLevel.rangeMax == 0 && d.blackLevel.rangeMin == 0) {
        d.blackLevel.rangeMax = 255;
        d.blackLevel.rangeMin = -255;
    }
}

}  // namespace ostrel

using namespace ostrel;

namespace {

char* copyText(const std::string& text) {
    char* p = static_cast<char*>(std::malloc(text.size() + 1));
    if (p != nullptr) {
        std::memcpy(p, text.c_str(), text.size() + 1);
    }
    return p;
}

void freeList(TQ_DeviceNode* node) {
    while (node != nullptr) {
        TQ_DeviceNode* next = node->next;
        std::free(node->name);
        std::free(node->description);
        std::free(node->hardwareAddress);
        std::free(node);
        node = next;
    }
}

}  // namespace

extern "C" {

OSTREL_API uint32_t TQ_EnumerateDevice(TQ_DeviceNode** list, int* count) {
    return guarded([&]() -> uint32_t {
        if (list == nullptr || count == nullptr) {
            return TQ_E_FAILED;
        }
        const auto adapters = listAdapters();
        if (!adapters) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        TQ_DeviceNode* head = nullptr;
        TQ_DeviceNode** link = &head;
        for (const Adapter& a : *adapters) {
            auto* node = static_cast<TQ_DeviceNode*>(std::calloc(1, sizeof(TQ_DeviceNode)));
            if (node == nullptr) {
                freeList(head);
                return TQ_E_FAILED;
            }
            *link = node;
            link = &node->next;
            node->name = copyText(a.name);
            node->description = copyText(a.description);
            node->hardwareAddress = static_cast<unsigned char*>(std::malloc(6));
            if (node->name == nullptr || node->description == nullptr ||
                node->hardwareAddress == nullptr) {
                freeList(head);
                return TQ_E_FAILED;
            }
            std::memcpy(node->hardwareAddress, a.hardwareAddress.data(), 6);
        }
        *list = head;
        *count = static_cast<int>(adapters->size());
        adapterCount() = *count;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_OpenDevice(int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d != nullptr && d->open.load() != 0) {
            return TQ_E_FAILED;
        }
        const auto adapters = listAdapters();
        if (!adapters) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        if (adapterCount() == 0) {
            adapterCount() = static_cast<int>(adapters->size());
        }
        if (d == nullptr || static_cast<size_t>(device) >= adapters->size()) {
            return TQ_E_FAILED;
        }
        const Adapter& adapter = (*adapters)[static_cast<size_t>(device)];
        std::string error;
        auto transport = openAdapter(adapter, &error);
        if (!transport) {
            return TQ_E_DEVICE_INIT;
        }
        // A closed device may still have threads waiting to be joined. A new
        // open starts afresh: a device that lost its open flag (a camera that
        // stopped answering) must not keep its capture flags, or the next capture
        // initialisation would build no buffers.
        stopStreamThreads(*d);
        releaseStreamBuffers(*d);
        d->capturing = 0;
        d->captureInitialised = 0;
        d->registerDisplay = 0;
        d->rawCopy = 0;
        d->transport = std::move(transport);
        d->record = DeviceRecord{adapter.captureName, adapter.description, adapter.hardwareAddress,
                                 !adapter.simulatedModel.empty()};
        resetCameraState(*d);
        d->stream.framesReceived = 0;
        d->stream.packetsLost = 0;
        d->stream.framesWithLosses = 0;
        d->stream.frameRate = 0.0;

        const auto identity = readIdentity(*d);
        if (!identity) {
            return TQ_E_NO_REPLY;
        }
        d->model = *identity;
        d->modelCode = modelCodeOf(d->model);
        d->open = 1;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_DevCapInit(int device, const char* settingsFolder) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        // Nothing can be asked of a camera that was never opened.
        if (d == nullptr || d->open.load() == 0) {
            return TQ_E_DEVICE_NOT_OPEN;
        }
        StreamPause pause(*d, device);

        // Capture arm, then the capture control word with bits 0x51 set.
        sendCommand(*d, wire::kCaptureArm);
        sleepMs(500);
        const auto control = readController(*d, wire::kCaptureControlRegister, 1);
        if (!control) {
            return TQ_E_NO_REPLY;
        }
        writeController(*d, wire::kCaptureControlRegister, (*control)[0] | 0x51u);

        if (!isK3(d->model)) {
            const auto id = readChipIdentifier(*d);
            if (!id) {
                return TQ_E_NO_REPLY;
            }
            d->sensorId = *id;
        }
        if (d->open.load() == 0) {
            return TQ_E_DEVICE_NOT_OPEN;
        }
        if (d->captureInitialised.load() != 0) {
            return TQ_SUCCESS;
        }

        int width = 0;
        int height = 0;
        if (TQ_GetMaxResolution(&width, &height, device) == TQ_SUCCESS) {
            d->width = width;
            d->height = height;
            if (isK3(d->model)) {
                // Their window is not read back: it starts as the whole sensor.
                d->mirror.reg[reg::kColumnSize] = static_cast<uint16_t>(width - 1);
                d->mirror.reg[reg::kRowSize] = static_cast<uint16_t>(height - 1);
            }
        }
        const std::string& m = d->model;
        bool settle = true;
        if (d->sensorId == kSensor8431 || (d->sensorId == kSensor1801 && m == "K6M") ||
            m == "K1M") {
            d->bytesPerPixel = 1;
        } else if (d->sensorId == kSensor1621 || (d->sensorId == kSensor1801 && m == "K6C") ||
                   m == "K1C" || d->sensorId == kSensor2C01) {
            d->bytesPerPixel = 3;
        } else if (m == "K3C") {
            d->bytesPerPixel = 3;
            settle = false;
        } else if (m == "K3M") {
            d->bytesPerPixel = 1;
            settle = false;
        } else {
            settle = false;
        }
        if (isSupported(*d)) {
            TQ_IniCamFromIniFile(device, settingsFolder);
            if (settle) {
                sleepMs(20);
            }
            if (m == "K3C") {
                const auto again = readController(*d, wire::kCaptureControlRegister, 1);
                if (!again) {
                    return TQ_E_NO_REPLY;
                }
                writeController(*d, wire::kCaptureControlRegister,
                                ((*again)[0] & ~(1u << 16)) | 0xC000u);
            }
            // Sensor 0x2C01 keeps the image size the settings file set: the
            // camera sends that size, and the whole sensor is what a file
            // without one gives.
        }
        initialiseSettingsRanges(*d);
        d->payload = wire::kDefaultPayload;
        // A camera that sends nothing yet still counts as initialised; starting
        // capture then finds no buffers and says so.
        buildStreamBuffers(*d);
        d->captureInitialised = 1;
        return TQ_SUCCESS;
    });
}

OSTREL_API void TQ_DevCapRelease(int device) {
    guarded([&] {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return;
        }
        // The threads run on these buffers: they stop first.
        stopStreamThreads(*d);
        d->capturing = 0;
        releaseStreamBuffers(*d);
    });
}

OSTREL_API void TQ_CloseDevice(int device) {
    guarded([&] {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return;
        }
        stopStreamThreads(*d);
        releaseStreamBuffers(*d);
        d->capturing = 0;
        d->captureInitialised = 0;
        d->open = 0;
        d->registerDisplay = 0;
        d->rawCopy = 0;
    });
}

OSTREL_API int TQ_SetCallBack(TQ_FrameCallback callback, int device) {
    if (Device* d = deviceAt(device)) {
        d->callback = callback;
    }
    return device;
}

OSTREL_API uint32_t TQ_StartCapture(int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || d->open.load() == 0) {
            return TQ_E_DEVICE_NOT_OPEN;
        }
        if (d->captureInitialised.load() == 0) {
            return TQ_E_CAPTURE_NOT_INIT;
        }
        if (d->capturing.load() != 0) {
            return TQ_SUCCESS;
        }
        if (!startStreamThreads(*d, device)) {
            return TQ_E_CAPTURE_NOT_INIT;
        }
        d->capturing = 1;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_StopCapture(int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr || d->capturing.load() == 0) {
            return TQ_E_CAPTURE_STOPPED;
        }
        if (d->open.load() == 0) {
            return TQ_E_DEVICE_NOT_OPEN;
        }
        if (d->captureInitialised.load() == 0) {
            return TQ_E_CAPTURE_NOT_INIT;
        }
        stopStreamThreads(*d);
        d->capturing = 0;
        return TQ_SUCCESS;
    });
}

OSTREL_API uint32_t TQ_SuspendCapture(int suspend, int device) {
    return guarded([&]() -> uint32_t {
        Device* d = deviceAt(device);
        if (d == nullptr) {
            return TQ_E_DEVICE_NOT_FOUND;
        }
        suspendStream(*d, suspend != 0);
        return TQ_SUCCESS;
    });
}

}  // extern "C"
