// The simulated camera answering frames built by the driver's own functions.
#include "sim/camera/camera_model.h"

#include <gtest/gtest.h>

#include "camera/stream_geometry.h"
#include "camera/wire_format.h"

namespace camsim {
namespace {

namespace wire = ostrel::wire;
using std::chrono::milliseconds;

const wire::MacAddress kHost = {0x02, 0, 0, 0, 0, 9};

struct Collect : FrameSink {
    std::vector<wire::Frame> frames;
    void emit(std::span<const uint8_t> f) override { frames.emplace_back(f.begin(), f.end()); }
    std::vector<uint16_t> packetNumbers() const {
        std::vector<uint16_t> n;
        for (const auto& f : frames) {
            if (auto h = wire::dataPacketHeader(f)) {
                n.push_back(h->number);
            }
        }
        return n;
    }
    size_t count(wire::FrameKind kind) const {
        size_t c = 0;
        for (const auto& f : frames) {
            c += wire::classifyFrame(f) == kind ? 1 : 0;
        }
        return c;
    }
};

class CameraModelTest : public ::testing::Test {
protected:
    explicit CameraModelTest(const char* model = "K1M") : camera_(*findModel(model)) {}
    void send(const wire::Frame& f) { camera_.handleRequest(f, now_, out_); }
    void arm() { send(wire::commandFrame(kHost, wire::kCaptureArm)); }
    void snapshotMode() {
        const uint8_t snap[4] = {0, 0, 0, 0};
        send(wire::commandFrame(kHost, wire::kPreviewSnapMode, snap));
    }

    CameraModel camera_;
    Collect out_;
    SteadyClock::time_point now_ = SteadyClock::now();
};

TEST_F(CameraModelTest, AnswersIdentityAndFirmwareVersion) {
    send(wire::controllerRead(kHost, wire::kIdentityRegister, 8));
    ASSERT_EQ(out_.frames.size(), 1u);
    EXPECT_EQ(wire::controllerReplyText(out_.frames[0], 49), "K1M");
    // Replies go back to whoever asked.
    EXPECT_TRUE(std::equal(kHost.begin(), kHost.end(), out_.frames[0].begin()));
    send(wire::controllerRead(kHost, wire::kFirmwareVersionRegister, 1));
    EXPECT_EQ(wire::controllerReplyWord(out_.frames[1], 0), 0x00020110u);
}

TEST_F(CameraModelTest, SensorReadsEchoTheEntriesWithValues) {
    const wire::SensorEntry write[1] = {{wire::kWriteCodeK1, 0x35, 0x00, 0x30}};
    send(wire::sensorTransfer(kHost, write));
    EXPECT_TRUE(out_.frames.empty());  // writes get no reply
    EXPECT_EQ(camera_.sensorRegister(0x35), 0x30);

    const wire::SensorEntry read[2] = {{wire::kReadCodeK1, 0x00, 0, 0},
                                       {wire::kReadCodeK1, 0x35, 0, 0}};
    send(wire::sensorTransfer(kHost, read));
    ASSERT_EQ(out_.frames.size(), 1u);
    EXPECT_EQ(wire::classifyFrame(out_.frames[0]), wire::FrameKind::SensorReply);
    EXPECT_EQ(wire::sensorReplyValue(out_.frames[0], 0), 0x1313);
    EXPECT_EQ(wire::sensorReplyValue(out_.frames[0], 1), 0x30);
    ASSERT_EQ(camera_.sensorAccesses().size(), 3u);
    EXPECT_EQ(camera_.sensorAccesses()[0].code, wire::kWriteCodeK1);
}

TEST_F(CameraModelTest, FramesForOtherAddressesAreIgnored) {
    wire::Frame f = wire::controllerRead(kHost, wire::kIdentityRegister, 8);
    f[0] = 0xFF;
    send(f);
    send(wire::Frame(10, 0x5A));
    EXPECT_TRUE(out_.frames.empty());
    EXPECT_EQ(camera_.framesReceived(), 0);
}

TEST_F(CameraModelTest, PreviewSendsAnnouncedImagesAtTheTriggerPeriod) {
    send(wire::commandWithValue(kHost, wire::kTriggerPeriod, 50'000));  // 20 per second
    EXPECT_EQ(camera_.advance(now_, out_), SteadyClock::time_point::max());  // not armed
    arm();
    const auto next = camera_.advance(now_, out_);
    EXPECT_EQ(next - now_, milliseconds(50));
    const auto g = ostrel::streamGeometry(752, 480, 1024);
    ASSERT_EQ(out_.frames.size(), g.packetsPerFrame + 2);
    EXPECT_EQ(wire::streamStatusCode(out_.frames.front()), 2);
    EXPECT_EQ(wire::streamStatusCode(out_.frames.back()), 1);
    EXPECT_EQ(out_.frames[g.packetsPerFrame].size(), wire::kHeaderSize + g.lastPacketSize);
    camera_.advance(now_ + milliseconds(10), out_);
    EXPECT_EQ(camera_.imagesSent(), 1u);
    camera_.advance(next, out_);
    EXPECT_EQ(camera_.imagesSent(), 2u);
    // The tag changes from image to image.
    EXPECT_NE(out_.frames[1][15], out_.frames[out_.frames.size() - 2][15]);
}

TEST_F(CameraModelTest, SnapshotSendsOneImagePerTriggerOrTheImageCount) {
    arm();
    snapshotMode();
    EXPECT_FALSE(camera_.previewMode());
    EXPECT_EQ(camera_.advance(now_, out_), SteadyClock::time_point::max());
    EXPECT_EQ(camera_.imagesSent(), 0u);
    send(wire::commandFrame({}, wire::kSoftwareTrigger));
    camera_.advance(now_, out_);
    camera_.advance(now_ + milliseconds(500), out_);
    EXPECT_EQ(camera_.imagesSent(), 1u);
    send(wire::commandWithValue(kHost, wire::kTriggerImageCount, 3));
    send(wire::commandFrame({}, wire::kSoftwareTrigger));
    for (int i = 0; i < 10; ++i) {
        camera_.advance(now_ + milliseconds(1000 + 100 * i), out_);
    }
    EXPECT_EQ(camera_.imagesSent(), 4u);
}

TEST_F(CameraModelTest, FaultsDropDelayShortenAndStopPackets) {
    Faults f;
    f.dropPackets = {3};
    f.sendAfterNext = {5};
    f.shortPackets = {{7, 10}};
    camera_.setFaults(f);
    arm();
    camera_.advance(now_, out_);
    const auto numbers = out_.packetNumbers();
    ASSERT_GT(numbers.size(), 8u);
    EXPECT_EQ(std::vector<uint16_t>(numbers.begin(), numbers.begin() + 7),
              (std::vector<uint16_t>{1, 2, 4, 6, 5, 7, 8}));
    for (const auto& frame : out_.frames) {
        if (auto h = wire::dataPacketHeader(frame); h && h->number == 7) {
            EXPECT_EQ(frame.size(), wire::kHeaderSize + 10);
        }
    }

    out_.frames.clear();
    f = Faults{};
    f.stopAfterPackets = 4;
    camera_.setFaults(f);
    camera_.advance(now_ + milliseconds(1000), out_);
    EXPECT_EQ(out_.packetNumbers(), (std::vector<uint16_t>{1, 2, 3, 4}));
    EXPECT_EQ(out_.count(wire::FrameKind::StreamStatus), 1u);  // announced, never finished
    EXPECT_EQ(camera_.advance(now_ + milliseconds(5000), out_), SteadyClock::time_point::max());
}

TEST_F(CameraModelTest, SilentReadsAndPowerOff) {
    Faults f;
    f.silentReads = true;
    camera_.setFaults(f);
    send(wire::controllerRead(kHost, wire::kIdentityRegister, 8));
    const wire::SensorEntry read[1] = {{wire::kReadCodeK1, 0x00, 0, 0}};
    send(wire::sensorTransfer(kHost, read));
    EXPECT_TRUE(out_.frames.empty());

    f = Faults{};
    f.poweredOff = true;
    camera_.setFaults(f);
    arm();
    EXPECT_EQ(camera_.advance(now_, out_), SteadyClock::time_point::max());
    EXPECT_TRUE(out_.frames.empty());
}

TEST_F(CameraModelTest, OldFirmwareKeepsItsPacketSize) {
    const uint32_t size[1] = {1400};
    send(wire::controllerWrite(kHost, wire::kPacketSizeRegister, size));
    EXPECT_EQ(camera_.payload(), 1400u);
    camera_.setFirmwareVersion(0x0002010B);
    const uint32_t other[1] = {512};
    send(wire::controllerWrite(kHost, wire::kPacketSizeRegister, other));
    EXPECT_EQ(camera_.payload(), 1400u);
}

class StandardCameraTest : public CameraModelTest {
protected:
    StandardCameraTest() : CameraModelTest("K6C") {}
    void write(uint8_t reg, uint16_t v) {
        const wire::SensorEntry e[1] = {{wire::kWriteCodeStandard, reg,
                                         static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)}};
        send(wire::sensorTransfer(kHost, e));
    }
};

TEST_F(StandardCameraTest, ImageSizeFollowsTheSensorWindow) {
    EXPECT_EQ(camera_.imageSize(), (std::pair{2592, 1944}));
    // The driver opens the window 4 pixels larger than the image.
    write(0x04, 1024 - 1 + 4);
    write(0x03, 768 - 1 + 4);
    EXPECT_EQ(camera_.imageSize(), (std::pair{1024, 768}));
    // Skipping every second row and column halves the window.
    write(0x04, 2047);
    write(0x03, 1535);
    write(0x22, 0x11);
    write(0x23, 0x11);
    EXPECT_EQ(camera_.imageSize(), (std::pair{1024, 768}));
}

TEST(ByteWideCamera, ChipIdentifierReadsAsTwoBytes) {
    CameraModel camera(*findModel("K4C"));
    Collect out;
    const wire::SensorEntry read[2] = {{wire::kReadCodeByteWide, 0x00, 0x00, 0},
                                       {wire::kReadCodeByteWide, 0x00, 0x01, 0}};
    camera.handleRequest(wire::sensorTransfer(kHost, read), SteadyClock::now(), out);
    ASSERT_EQ(out.frames.size(), 1u);
    EXPECT_EQ(wire::byteWideReplyValue(out.frames[0]), 0x2C01);
    EXPECT_EQ(camera.imageSize(), (std::pair{3664, 2748}));
}

TEST(WideAddressCamera, WritesSetBit15AndReadsClearBit12) {
    CameraModel camera(*findModel("K3M"));
    Collect out;
    const wire::SensorEntry write[1] = {{0x80, 204, 0x00, 0x21}};
    camera.handleRequest(wire::sensorTransfer(kHost, write), SteadyClock::now(), out);
    EXPECT_EQ(camera.sensorRegister(204), 0x21);
    const wire::SensorEntry read[1] = {{0x00, 204, 0, 0}};
    camera.handleRequest(wire::sensorTransfer(kHost, read), SteadyClock::now(), out);
    ASSERT_EQ(out.frames.size(), 1u);
    EXPECT_EQ(wire::sensorReplyValue(out.frames[0], 0), 0x21);
    EXPECT_EQ(camera.imageSize(), (std::pair{1280, 1024}));
}

}  // namespace
}  // namespace camsim
