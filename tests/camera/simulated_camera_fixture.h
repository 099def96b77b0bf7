// A test fixture that opens the in-process simulated camera through the exports.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camera/message_box.h"
#include "camera/ostrel.h"
#include "sim/camera/camera_registry.h"

namespace ostrel::testing {

// What the frame callback saw; the callback is a plain function, so one
// recorder serves the whole test program.
struct FrameRecord {
    bool hasImage = false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bytesPerPixel = 0;
    uint64_t imageNumber = 0;  // read from the test pattern's number strip
    std::chrono::steady_clock::time_point at;  // when the callback saw it
};

class FrameRecorder {
public:
    static FrameRecorder& instance() {
        static FrameRecorder r;
        return r;
    }
    static void callback(TQ_FrameInfo* info) { instance().record(info); }

    void record(TQ_FrameInfo* info) {
        FrameRecord r;
        r.hasImage = info->image != nullptr;
        r.at = std::chrono::steady_clock::now();
        r.width = info->width;
        r.height = info->height;
        r.bytesPerPixel = info->bytesPerPixel;
        if (r.hasImage) {
            r.imageNumber = readNumber(info);
        }
        std::unique_lock lock(mutex_);
        records_.push_back(r);
        changed_.notify_all();
        // A closed gate holds the delivery thread inside the callback.
        changed_.wait(lock, [this] { return gateOpen_; });
    }

    void closeGate() {
        std::lock_guard lock(mutex_);
        gateOpen_ = false;
    }
    void openGate() {
        std::lock_guard lock(mutex_);
        gateOpen_ = true;
        changed_.notify_all();
    }
    void clear() {
        std::lock_guard lock(mutex_);
        records_.clear();
    }
    std::vector<FrameRecord> records() {
        std::lock_guard lock(mutex_);
        return records_;
    }
    // Waits up to `seconds` until `done(records)` holds.
    bool waitFor(const std::function<bool(const std::vector<FrameRecord>&)>& done,
                 double seconds = 10) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                                 [&] { return done(records_); });
    }
    bool waitForImages(size_t n, double seconds = 10) {
        return waitFor(
            [n](const auto& r) {
                return static_cast<size_t>(std::count_if(r.begin(), r.end(), [](const auto& f) {
                           return f.hasImage;
                       })) >= n;
            },
            seconds);
    }

    // The test pattern's 16 cells along the top edge, most significant bit first.
    static uint64_t readNumber(const TQ_FrameInfo* info) {
        const int w = static_cast<int>(info->width);
        const int h = static_cast<int>(info->height);
        const int bpp = static_cast<int>(info->bytesPerPixel);
        const int cell = std::clamp(w / 32, 1, 16);
        if (cell < 4 || h < cell) {
            return 0;
        }
        uint64_t n = 0;
        for (int bit = 0; bit < 16; ++bit) {
            const int x = bit * cell + cell / 2;
            const int y = cell / 2;
            // Colour images are stored bottom-up.
            const int row = bpp == 3 ? h - 1 - y : y;
            const uint8_t v = info->image[(static_cast<size_t>(row) * w + x) * bpp + (bpp == 3 ? 1 : 0)];
            n = n << 1 | (v > 128 ? 1 : 0);
        }
        return n;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<FrameRecord> records_;
    bool gateOpen_ = true;
};

class SimulatedCameraTest : public ::testing::Test {
protected:
    void TearDown() override {
        FrameRecorder::instance().openGate();
        if (device_ >= 0) {
            TQ_CloseDevice(device_);
        }
        ostrel::setMessageSink(nullptr);
        unsetenv("OSTREL_SIMULATED_CAMERA");
    }

    // Lists the simulated camera of `model` and finds its device index.
    void useModel(const char* model) {
        setenv("OSTREL_SIMULATED_CAMERA", model, 1);
        camsim::resetInProcessCameras();
        ostrel::setMessageSink([this](const std::string& text, const std::string& caption) {
            std::lock_guard lock(messagesMutex_);
            messages_.push_back(caption + ": " + text);
        });
        TQ_DeviceNode* list = nullptr;
        int count = 0;
        ASSERT_EQ(TQ_EnumerateDevice(&list, &count), TQ_SUCCESS);
        ASSERT_GT(count, 0);
        int index = 0;
        for (TQ_DeviceNode* n = list; n != nullptr; ++index) {
            if (n->next == nullptr) {
                description_ = n->description;
            }
            TQ_DeviceNode* next = n->next;
            std::free(n->name);
            std::free(n->description);
            std::free(n->hardwareAddress);
            std::free(n);
            n = next;
        }
        ASSERT_EQ(index, count);
        device_ = count - 1;
        adapters_ = count;
        ASSERT_EQ(description_.rfind("Simulated camera", 0), 0u) << description_;
        camera_ = camsim::inProcessCamera(model);
        ASSERT_TRUE(camera_);
    }

    // Opens and initialises capture with no settings file, then turns the
    // mirror off (a camera without a settings file starts mirrored both
    // ways), so that the test pattern's number strip reads as sent.
    void openAndInit(const char* model) {
        useModel(model);
        ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
        ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
        ASSERT_EQ(TQ_SetImageMirror(0, device_), TQ_SUCCESS);
    }

    std::vector<std::string> messages() {
        std::lock_guard lock(messagesMutex_);
        return messages_;
    }

    uint32_t framesReceived() {
        uint32_t frames = 0;
        uint32_t lost = 0;
        uint32_t withLosses = 0;
        TQ_GetTestInfo(&frames, &lost, &withLosses, device_);
        return frames;
    }

    static bool eventually(const std::function<bool()>& done, double seconds = 10) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (done()) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return done();
    }

    int device_ = -1;
    int adapters_ = 0;
    std::string description_;
    std::shared_ptr<camsim::CameraModel> camera_;
    std::mutex messagesMutex_;
    std::vector<std::string> messages_;
};

}  // namespace ostrel::testing
