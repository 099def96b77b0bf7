// The receive path without threads: frames from the simulated camera are
// handed to the stream one by one, and the ready queue's rules are checked.
#include "camera/stream.h"

#include <gtest/gtest.h>

#include "sim/camera/camera_model.h"

namespace ostrel {
namespace {

using std::chrono::milliseconds;

struct Collect : camsim::FrameSink {
    std::vector<wire::Frame> frames;
    void emit(std::span<const uint8_t> f) override { frames.emplace_back(f.begin(), f.end()); }
};

// A device as capture initialisation leaves it, with no transport.
void prepare(Device& d, const char* model, uint16_t sensor, int width, int height) {
    d.model = model;
    d.sensorId = sensor;
    d.width = width;
    d.height = height;
    allocateStreamBuffers(d);
}

// Queues an image whose every byte is `value`.
void queueImage(Device& d, uint8_t value) {
    std::fill(d.stream.converted.begin(), d.stream.converted.end(), value);
    queueConvertedImage(d, SteadyClock::now());
}

std::vector<uint8_t> queuedValues(Device& d) {
    std::vector<uint8_t> values;
    Stream& s = d.stream;
    for (int i = 0; i < s.queueCount.load(); ++i) {
        const int slot = s.queue[static_cast<size_t>((s.queueHead + i) % kFrameSlots)];
        values.push_back(s.slots[static_cast<size_t>(slot)].image[0]);
    }
    return values;
}

TEST(ReadyQueue, PreviewHoldsFiveAndTheSixthWaitsAlone) {
    Device d;
    prepare(d, "K1M", 0x1313, 8, 4);
    for (uint8_t v = 1; v <= 5; ++v) {
        queueImage(d, v);
    }
    EXPECT_EQ(queuedValues(d), (std::vector<uint8_t>{1, 2, 3, 4, 5}));
    queueImage(d, 6);
    EXPECT_EQ(queuedValues(d), (std::vector<uint8_t>{6}));
    EXPECT_EQ(d.stream.framesReceived.load(), 6u);
}

TEST(ReadyQueue, SnapshotKeepsOnlyTheNewest) {
    Device d;
    prepare(d, "K1M", 0x1313, 8, 4);
    d.snap.preview = 0;
    d.snap.triggerPending = 1;
    queueImage(d, 1);
    queueImage(d, 2);
    EXPECT_EQ(queuedValues(d), (std::vector<uint8_t>{2}));
    EXPECT_EQ(d.snap.triggerPending.load(), 0);
}

TEST(ReadyQueue, RawCopyFlagCopiesTheConvertedImage) {
    Device d;
    prepare(d, "K1M", 0x1313, 8, 4);
    d.rawCopy = 1;
    queueImage(d, 9);
    EXPECT_EQ(d.stream.rawCopy[5], 9);
}

class ReceivePathTest : public ::testing::Test {
protected:
    // Feeds every frame the camera sends at `at` to the stream; returns the
    // number of images completed.
    int feed(camsim::CameraModel& camera, Device& d, SteadyClock::time_point at) {
        Collect out;
        camera.advance(at, out);
        int completed = 0;
        for (const auto& f : out.frames) {
            completed += handleStreamFrame(d, f, at) ? 1 : 0;
        }
        return completed;
    }
    void arm(camsim::CameraModel& camera) {
        Collect ignored;
        camera.handleRequest(wire::commandFrame({}, wire::kCaptureArm), start_, ignored);
    }
    SteadyClock::time_point start_ = SteadyClock::now();
};

TEST_F(ReceivePathTest, MonoImagesArriveWholeAndCounted) {
    camsim::CameraModel camera(*camsim::findModel("K1M"));
    arm(camera);
    Device d;
    prepare(d, "K1M", 0x1313, 752, 480);
    EXPECT_EQ(feed(camera, d, start_), 1);
    EXPECT_EQ(feed(camera, d, start_ + milliseconds(100)), 1);
    EXPECT_EQ(d.stream.framesReceived.load(), 2u);
    EXPECT_EQ(d.stream.packetsLost.load(), 0u);
    // The number strip of the test pattern: image 2 has only bit 1 set
    // (cells of 16 pixels, most significant bit first).
    const auto& image = d.stream.converted;
    EXPECT_EQ(image[static_cast<size_t>(8 * 752 + 14 * 16 + 8)], 255);
    EXPECT_EQ(image[static_cast<size_t>(8 * 752 + 15 * 16 + 8)], 0);
    EXPECT_EQ(queuedValues(d).size(), 2u);
}

TEST_F(ReceivePathTest, DroppedPacketsAreCountedPerImage) {
    camsim::CameraModel camera(*camsim::findModel("K1M"));
    camsim::Faults f;
    f.dropPackets = {10, 11, 200};
    camera.setFaults(f);
    arm(camera);
    Device d;
    prepare(d, "K1M", 0x1313, 752, 480);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(feed(camera, d, start_ + milliseconds(100 * i)), 1);
    }
    EXPECT_EQ(d.stream.packetsLost.load(), 9u);
    EXPECT_EQ(d.stream.framesWithLosses.load(), 3u);
}

TEST_F(ReceivePathTest, ColourImagesAreDemosaicedBottomUp) {
    camsim::CameraModel camera(*camsim::findModel("K6C"));
    arm(camera);
    Device d;
    prepare(d, "K6C", 0x1801, 2592, 1944);
    ASSERT_EQ(d.stream.bytesPerPixel, 3);
    EXPECT_EQ(feed(camera, d, start_), 1);
    // Image 1: the last cell of the number strip is white; the strip is at the
    // top of the picture, so at the end of the bottom-up image.
    const int w = 2592;
    const int h = 1944;
    auto pixel = [&](int x, int y) {
        return &d.stream.converted[static_cast<size_t>(((h - 1 - y) * w + x) * 3)];
    };
    EXPECT_EQ(pixel(15 * 16 + 8, 8)[1], 255);
    EXPECT_EQ(pixel(14 * 16 + 8, 8)[1], 0);
    // The first colour bar is light grey: 191 in all three colours.
    const uint8_t* bar = pixel(100, 600);
    EXPECT_EQ(bar[0], 191);
    EXPECT_EQ(bar[1], 191);
    EXPECT_EQ(bar[2], 191);
    // The second is yellow: no blue.
    const uint8_t* yellow = pixel(w / 8 + 100, 600);
    EXPECT_EQ(yellow[0], 0);
    EXPECT_EQ(yellow[2], 191);
}

TEST_F(ReceivePathTest, StatusFrameArmsTheWatchdogAndTheImageEndDisarmsIt) {
    camsim::CameraModel camera(*camsim::findModel("K1M"));
    camsim::Faults f;
    f.stopAfterPackets = 100;
    camera.setFaults(f);
    arm(camera);
    Device d;
    prepare(d, "K1M", 0x1313, 752, 480);
    EXPECT_EQ(feed(camera, d, start_), 0);
    EXPECT_TRUE(d.stream.watchdogArmed);
    camera.setFaults({});
    EXPECT_EQ(feed(camera, d, start_ + milliseconds(100)), 1);
    EXPECT_FALSE(d.stream.watchdogArmed);
}

// The watchdog as the receive thread runs it before each read: a triggered
// image that lost its last packet, then a stream status frame with no image
// behind it (anyone on the segment can send one).
TEST_F(ReceivePathTest, InSnapshotModeTheWatchdogGivesUpTheImageAndCapturingGoesOn) {
    camsim::CameraModel camera(*camsim::findModel("K1M"));
    arm(camera);
    Collect ignored;
    camera.handleRequest(wire::commandWithValue({}, wire::kPreviewSnapMode, 0x00000001), start_,
                         ignored);
    camsim::Faults f;
    f.loseLastPacketOfTrigger = 1;
    camera.setFaults(f);
    Device d;
    prepare(d, "K1M", 0x1313, 752, 480);
    d.snap.preview = 0;
    auto trigger = [&](SteadyClock::time_point at) {
        camera.handleRequest(wire::commandFrame({}, wire::kSoftwareTrigger), at, ignored);
        return feed(camera, d, at);
    };
    EXPECT_EQ(trigger(start_), 0);
    EXPECT_TRUE(d.stream.watchdogArmed);
    EXPECT_FALSE(frameWatchdogEndsStream(d, start_ + milliseconds(1000)));
    EXPECT_EQ(d.stream.packetsLost.load(), 0u);  // not given up yet
    EXPECT_FALSE(frameWatchdogEndsStream(d, start_ + milliseconds(1001)));
    EXPECT_FALSE(d.stream.watchdogArmed);
    EXPECT_EQ(d.stream.packetsLost.load(), 1u);
    EXPECT_EQ(d.stream.framesWithLosses.load(), 1u);

    const auto later = start_ + milliseconds(3000);
    EXPECT_FALSE(handleStreamFrame(d, wire::streamStatus({}, 2), later));
    EXPECT_FALSE(frameWatchdogEndsStream(d, later + milliseconds(1500)));
    EXPECT_EQ(d.stream.packetsLost.load(), 1u);  // nothing was under way

    EXPECT_EQ(trigger(later + milliseconds(2000)), 1);
    EXPECT_EQ(trigger(later + milliseconds(2100)), 1);
    EXPECT_EQ(queuedValues(d).size(), 1u);  // the ready queue still exists
    EXPECT_EQ(d.stream.packetsLost.load(), 1u);
}

TEST_F(ReceivePathTest, InPreviewTheWatchdogEndsAStreamThatWentQuiet) {
    camsim::CameraModel camera(*camsim::findModel("K1M"));
    camsim::Faults f;
    f.stopAfterPackets = 100;
    camera.setFaults(f);
    arm(camera);
    Device d;
    prepare(d, "K1M", 0x1313, 752, 480);
    EXPECT_EQ(feed(camera, d, start_), 0);
    EXPECT_FALSE(frameWatchdogEndsStream(d, start_ + milliseconds(900)));
    EXPECT_TRUE(frameWatchdogEndsStream(d, start_ + milliseconds(1100)));
    EXPECT_TRUE(d.stream.receiverEnded.load());
    std::lock_guard lock(d.stream.lock);
    EXPECT_FALSE(d.stream.queueExists);
}

TEST_F(ReceivePathTest, ShortAndForeignFramesNeverReachTheBuffers) {
    Device d;
    prepare(d, "K1M", 0x1313, 16, 4);  // one 64-byte packet
    wire::Frame f;
    const std::vector<uint8_t> big(2000, 7);
    wire::dataPacket(f, {}, 1, 1, big);  // more than the image: only 64 bytes taken
    EXPECT_TRUE(handleStreamFrame(d, f, start_));
    wire::dataPacket(f, {}, 2, 1, std::span(big.data(), 10));  // shorter than its packet
    EXPECT_FALSE(handleStreamFrame(d, f, start_));
    EXPECT_FALSE(handleStreamFrame(d, wire::Frame(5, 0x6A), start_));
    EXPECT_EQ(d.stream.framesReceived.load(), 1u);
}

}  // namespace
}  // namespace ostrel
