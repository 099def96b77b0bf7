// libFuzzer target: arbitrary frames from the wire into the receive path.
//
// Input: a camera and its settings in the first five bytes, then frames,
// each a 2-byte length, a time step and its bytes. Time runs on by the step
// (up to about 2 s), and the frame watchdog is checked before each frame as
// the receive thread does, so stream status frames, images cut short and
// quiet cameras meet it in both modes. Every frame goes through
// classification, reply recognition and putting in place (with conversion
// and queueing when an image completes), and through the simulated camera's
// request parsing. A step with its top bit set makes the frame a stream
// status frame with the frame's first two bytes as its code.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

#include "camera/stream.h"
#include "camera/wire_format.h"
#include "sim/camera/camera_model.h"

namespace {

struct Camera {
    const char* model;
    uint16_t sensor;
};
constexpr Camera kCameras[] = {
    {"K1M", 0x1313}, {"K1C", 0x1324}, {"K6C", 0x1801}, {"K6M", 0x1801},
    {"K3C", 0},      {"K3M", 0},      {"K2M", 0x8431}, {"K4C", 0x2C01},
};

struct Discard : camsim::FrameSink {
    size_t bytes = 0;
    void emit(std::span<const uint8_t> f) override { bytes += f.size(); }
};

void readReplies(std::span<const uint8_t> frame) {
    namespace wire = ostrel::wire;
    volatile uint32_t sink = 0;
    for (size_t k = 0; k < 24; ++k) {
        sink = sink + wire::sensorReplyValue(frame, k).value_or(0);
        sink = sink + wire::controllerReplyWord(frame, k).value_or(0);
    }
    sink = sink + wire::byteWideReplyValue(frame).value_or(0);
    sink = sink + wire::streamStatusCode(frame).value_or(0);
    sink = sink + static_cast<uint32_t>(wire::controllerReplyText(frame, 49).size());
    sink = sink + static_cast<uint32_t>(wire::sensorEntries(frame).size());
    sink = sink + wire::commandArgument(frame).value_or(0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) {
        return 0;
    }
    static ostrel::Device device;
    ostrel::Device& d = device;
    const Camera& camera = kCameras[data[0] % std::size(kCameras)];
    d.model = camera.model;
    d.sensorId = camera.sensor;
    d.colour = (data[0] >> 3) & 1;
    d.gammaOn = (data[0] >> 4) & 1;
    d.mirrorMode = (data[0] >> 5) & 3;
    d.snap.preview = data[0] >> 7;
    d.width = 1 + data[1] % 64;
    d.height = 1 + data[2] % 48;
    d.payload = 1 + static_cast<uint32_t>((data[3] << 8 | data[4]) % 1100);
    ostrel::allocateStreamBuffers(d);
    d.stream.gamma = ostrel::buildGammaTable();

    camsim::CameraModel model(*camsim::findModel(camera.model));
    Discard replies;
    auto now = ostrel::SteadyClock::now();
    d.stream.watchdogArmed = false;
    size_t at = 5;
    while (at + 3 <= size) {
        const uint8_t step = data[at + 2];
        const size_t length = std::min<size_t>(
            static_cast<size_t>(data[at] << 8 | data[at + 1]) % 1200, size - at - 3);
        at += 3;
        // A copy of exactly the frame's bytes, so reading past it is caught.
        std::vector<uint8_t> frame(data + at, data + at + length);
        at += length;
        if (step & 0x80) {
            const uint16_t code =
                frame.size() >= 2 ? static_cast<uint16_t>(frame[0] << 8 | frame[1]) : 2;
            frame = ostrel::wire::streamStatus({}, code);
        }
        now += std::chrono::milliseconds((step & 0x7F) * 16);
        if (ostrel::frameWatchdogEndsStream(d, now)) {
            // The receive thread would end here; a later start begins anew.
            ostrel::allocateStreamBuffers(d);
        }
        ostrel::handleStreamFrame(d, frame, now);
        readReplies(frame);
        model.handleRequest(frame, now, replies);
    }
    return 0;
}
