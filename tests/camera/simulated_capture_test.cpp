// Capture through the receive and delivery threads from the in-process camera.
#include <atomic>

#include "camera/device_table.h"
#include "camera/stream.h"
#include "sim/camera/in_process_transport.h"
#include "simulated_camera_fixture.h"

namespace ostrel::testing {
namespace {

using std::chrono::milliseconds;

class CaptureTest : public SimulatedCameraTest {
protected:
    void SetUp() override { FrameRecorder::instance().clear(); }
    void start() {
        TQ_SetCallBack(FrameRecorder::callback, device_);
        ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    }
    // Snapshot mode as the machine program runs it, capturing, with the
    // images of the preview before it gone: the next trigger's image is the
    // first to arrive.
    void startSnapshot() {
        ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(40, 0, device_), TQ_SUCCESS);
        ASSERT_EQ(TQ_SetPreviewSnapMode(0, 1, device_), TQ_SUCCESS);
        start();
        ASSERT_TRUE(triggerAndWait());
        FrameRecorder::instance().clear();
    }
    // Triggers one image and waits until it is delivered.
    bool triggerAndWait() {
        const uint64_t expected = camera_->imagesSent() + 1;
        if (TQ_SnapSWTrigger(device_) != TQ_SUCCESS) {
            return false;
        }
        return FrameRecorder::instance().waitFor(
            [expected](const auto& r) {
                return std::any_of(r.begin(), r.end(),
                                   [&](const auto& f) { return f.imageNumber == expected; });
            },
            5);
    }
    struct Counts {
        uint32_t frames = 0;
        uint32_t lost = 0;
        uint32_t withLosses = 0;
    };
    Counts counts() {
        Counts c;
        TQ_GetTestInfo(&c.frames, &c.lost, &c.withLosses, device_);
        return c;
    }
    static size_t emptyRecords() {
        const auto r = FrameRecorder::instance().records();
        return static_cast<size_t>(
            std::count_if(r.begin(), r.end(), [](const auto& f) { return !f.hasImage; }));
    }
};

TEST_F(CaptureTest, PreviewDeliversImagesOfTheSetSizeThenStopsTwice) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetResolution(640, 480, device_), TQ_SUCCESS);
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(5));
    for (const FrameRecord& r : FrameRecorder::instance().records()) {
        ASSERT_TRUE(r.hasImage);
        EXPECT_EQ(r.width, 640u);
        EXPECT_EQ(r.height, 480u);
        EXPECT_EQ(r.bytesPerPixel, 1u);
    }
    // Images come in order.
    const auto records = FrameRecorder::instance().records();
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_GT(records[i].imageNumber, records[i - 1].imageNumber);
    }
    // The frame rate is measured over two-second windows.
    double rate = 0;
    EXPECT_TRUE(eventually([&] {
        TQ_GetFrameRate(&rate, device_);
        return rate > 0;
    }));
    EXPECT_GT(rate, 10.0);
    uint32_t frames = 0;
    uint32_t lost = 99;
    uint32_t withLosses = 99;
    ASSERT_EQ(TQ_GetTestInfo(&frames, &lost, &withLosses, device_), TQ_SUCCESS);
    EXPECT_GE(frames, 5u);
    EXPECT_EQ(lost, 0u);
    EXPECT_EQ(withLosses, 0u);

    uint32_t size = 0;
    unsigned char* buffer = nullptr;
    int w = 0;
    int h = 0;
    ASSERT_EQ(TQ_GetFrameBuffer(&size, &buffer, &w, &h, device_), TQ_SUCCESS);
    EXPECT_EQ(size, 640u * 480u);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    ASSERT_EQ(TQ_GetFrameBuffer(&size, &buffer, &w, &h, device_), TQ_SUCCESS);  // frees the first
    std::free(buffer);

    EXPECT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);  // already capturing
    EXPECT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
    EXPECT_EQ(TQ_StopCapture(device_), TQ_E_CAPTURE_STOPPED);
    const size_t delivered = FrameRecorder::instance().records().size();
    std::this_thread::sleep_for(milliseconds(200));
    EXPECT_EQ(FrameRecorder::instance().records().size(), delivered);
}

TEST_F(CaptureTest, ColourImagesAreDemosaicedWithTheVariantOfTheMirror) {
    openAndInit("K6C");
    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetImageMirror(3, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->sensorRegister(0x20) & 0xC000, 0xC000);
    start();
    // The first images may still be the ones sent before the mirror was set.
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(4));
    const auto records = FrameRecorder::instance().records();
    EXPECT_EQ(records.back().width, 1024u);
    EXPECT_EQ(records.back().bytesPerPixel, 3u);
    ASSERT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
    // Mirrored both ways: the first colour bar (light grey) is now on the
    // right; every colour demosaics right only with the mirror's variant.
    TQ_FrameInfo rgb{};
    ASSERT_EQ(TQ_GetRGBData(&rgb, device_), TQ_SUCCESS);
    const uint8_t* right = rgb.image + (static_cast<size_t>(300) * 1024 + 1000) * 3;
    EXPECT_EQ(right[0], 191);
    EXPECT_EQ(right[1], 191);
    EXPECT_EQ(right[2], 191);
    const uint8_t* yellow = rgb.image + (static_cast<size_t>(300) * 1024 + 1024 - 128 - 64) * 3;
    EXPECT_EQ(yellow[0], 0);
    EXPECT_EQ(yellow[1], 191);
    EXPECT_EQ(yellow[2], 191);
}

// The K3 cameras send their image unmirrored; the driver mirrors the raw
// image and demosaics it with the variant of the mirror.
TEST_F(CaptureTest, K3ColourIsMirroredByTheDriver) {
    openAndInit("K3C");
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 1280);
    ASSERT_EQ(TQ_SetImageMirror(2, device_), TQ_SUCCESS);
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(3));
    ASSERT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
    TQ_FrameInfo rgb{};
    ASSERT_EQ(TQ_GetRGBData(&rgb, device_), TQ_SUCCESS);
    ASSERT_EQ(rgb.bytesPerPixel, 3u);
    // Horizontal mirror: the light grey bar is on the right, yellow next to it.
    const uint8_t* grey = rgb.image + (static_cast<size_t>(300) * 1280 + 1250) * 3;
    EXPECT_EQ(grey[0], 191);
    EXPECT_EQ(grey[1], 191);
    EXPECT_EQ(grey[2], 191);
    const uint8_t* yellow = rgb.image + (static_cast<size_t>(300) * 1280 + 1280 - 160 - 80) * 3;
    EXPECT_EQ(yellow[0], 0);
    EXPECT_EQ(yellow[1], 191);
    EXPECT_EQ(yellow[2], 191);
}

// The 752-wide colour camera keeps one mosaic phase whatever its mirror.
TEST_F(CaptureTest, K1ColourUsesOneVariant) {
    openAndInit("K1C");
    ASSERT_EQ(TQ_SetImageMirror(3, device_), TQ_SUCCESS);
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(3));
    ASSERT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
    TQ_FrameInfo rgb{};
    ASSERT_EQ(TQ_GetRGBData(&rgb, device_), TQ_SUCCESS);
    // Mirrored by the sensor: the magenta bar (fifth) sits fourth from the left.
    const uint8_t* magenta = rgb.image + (static_cast<size_t>(100) * 752 + 3 * 94 + 47) * 3;
    EXPECT_EQ(magenta[0], 191);
    EXPECT_EQ(magenta[1], 0);
    EXPECT_EQ(magenta[2], 191);
}

TEST_F(CaptureTest, SnapshotModeDeliversOnlyTheNewestImage) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 0, device_), TQ_SUCCESS);
    EXPECT_FALSE(camera_->previewMode());
    start();
    // One triggered image first: once it is delivered, the images sent
    // before snapshot mode (still in the capture buffer) are gone.
    FrameRecorder& recorder = FrameRecorder::instance();
    const uint64_t warmUp = camera_->imagesSent() + 1;
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitFor([warmUp](const auto& r) {
        return !r.empty() && r.back().imageNumber == warmUp;
    }));
    recorder.clear();
    recorder.closeGate();
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitForImages(1));
    const uint64_t first = recorder.records()[0].imageNumber;
    const uint32_t before = framesReceived();
    // Two more images arrive while the callback still holds the first.
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(eventually([&] { return framesReceived() >= before + 1; }));
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(eventually([&] { return framesReceived() >= before + 2; }));
    EXPECT_EQ(deviceAt(device_)->stream.queueCount.load(), 1);
    recorder.openGate();
    ASSERT_TRUE(recorder.waitForImages(2));
    std::this_thread::sleep_for(milliseconds(200));
    const auto records = recorder.records();
    std::string numbers;
    for (const auto& r : records) {
        numbers += std::to_string(r.imageNumber) + (r.hasImage ? " " : "(empty) ");
    }
    ASSERT_EQ(records.size(), 2u) << numbers;
    EXPECT_EQ(records[1].imageNumber, first + 2) << numbers;
}

TEST_F(CaptureTest, ABlockedCallbackNeverHasMoreThanFiveImagesWaiting) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetSnapTrigFreqImgCount(100, 0, device_), TQ_SUCCESS);
    FrameRecorder& recorder = FrameRecorder::instance();
    recorder.closeGate();
    start();
    ASSERT_TRUE(recorder.waitForImages(1));
    const uint32_t before = framesReceived();
    int most = 0;
    bool sawFive = false;
    bool sawRestart = false;
    ASSERT_TRUE(eventually([&] {
        const int n = deviceAt(device_)->stream.queueCount.load();
        most = std::max(most, n);
        sawFive = sawFive || n == 5;
        sawRestart = sawRestart || (sawFive && n < 5);
        return framesReceived() >= before + 12 && sawRestart;
    }));
    EXPECT_LE(most, 5);
    recorder.openGate();
    ASSERT_TRUE(recorder.waitForImages(4));
    // Images still come in order, with those dropped from the full queue missing.
    const auto records = recorder.records();
    for (size_t i = 1; i < records.size(); ++i) {
        EXPECT_GT(records[i].imageNumber, records[i - 1].imageNumber);
    }
}

TEST_F(CaptureTest, ACameraThatStopsMidImageEndsTheStreamWithEmptyRecords) {
    openAndInit("K1M");
    start();
    FrameRecorder& recorder = FrameRecorder::instance();
    ASSERT_TRUE(recorder.waitForImages(1));
    camsim::Faults f;
    f.stopAfterPackets = 50;
    camera_->setFaults(f);
    std::vector<FrameRecord> seen;
    ASSERT_TRUE(recorder.waitFor([&](const auto& r) {
        seen = r;
        return std::any_of(r.begin(), r.end(), [](const auto& x) { return !x.hasImage; });
    }));
    // The watchdog gives up a second after the last image, not sooner (a
    // loaded machine may deliver that image late, so count from it).
    const auto firstNull = std::find_if(seen.begin(), seen.end(), [](const auto& x) { return !x.hasImage; });
    ASSERT_NE(firstNull, seen.begin());
    EXPECT_GE(firstNull->at - std::prev(firstNull)->at, milliseconds(950));
    EXPECT_TRUE(deviceAt(device_)->stream.receiverEnded.load());
    EXPECT_EQ(deviceAt(device_)->capturing.load(), 1);  // still marked as running
    EXPECT_EQ(TQ_StopCapture(device_), TQ_SUCCESS);
    // A camera that comes back can be started again.
    camera_->setFaults({});
    recorder.clear();
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitForImages(1));
}

TEST_F(CaptureTest, InjectedLossesShowInTheTestInfo) {
    openAndInit("K1M");
    ASSERT_EQ(TQ_SetPreviewSnapMode(0, 0, device_), TQ_SUCCESS);
    camsim::Faults f;
    f.dropPackets = {3, 4, 100};
    camera_->setFaults(f);
    start();
    // Frames sent before the faults (the capture library's buffer holds them
    // too) drain first.
    std::this_thread::sleep_for(milliseconds(200));
    uint32_t frames0 = 0;
    uint32_t lost0 = 0;
    uint32_t withLosses0 = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames0, &lost0, &withLosses0, device_), TQ_SUCCESS);
    for (uint32_t i = 1; i <= 3; ++i) {
        ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
        ASSERT_TRUE(eventually([&] { return framesReceived() >= frames0 + i; }));
    }
    uint32_t frames = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    ASSERT_EQ(TQ_GetTestInfo(&frames, &lost, &withLosses, device_), TQ_SUCCESS);
    // Per image: 5 comes when 3 is expected (2 lost), 101 when 100 is (1 lost).
    EXPECT_EQ(frames - frames0, 3u);
    EXPECT_EQ(lost - lost0, 9u);
    EXPECT_EQ(withLosses - withLosses0, 3u);
}

TEST_F(CaptureTest, SettingsThatRebuildTheBuffersPauseTheThreads) {
    openAndInit("K1M");
    start();
    FrameRecorder& recorder = FrameRecorder::instance();
    ASSERT_TRUE(recorder.waitForImages(2));
    ASSERT_EQ(TQ_SetResolution(320, 240, device_), TQ_SUCCESS);
    recorder.clear();
    ASSERT_TRUE(recorder.waitForImages(2));
    EXPECT_EQ(recorder.records().back().width, 320u);
    EXPECT_EQ(recorder.records().back().height, 240u);
    // A mode the sensor lacks changes nothing and capture goes on.
    EXPECT_EQ(TQ_SetResolutionMode(1, device_), TQ_E_NOT_ADJUSTABLE);
}

TEST_F(CaptureTest, CloseWhileCapturingEndsTheThreadsAndTheDeviceOpensAgain) {
    openAndInit("K1M");
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
    TQ_CloseDevice(device_);
    EXPECT_FALSE(deviceAt(device_)->stream.receiver.joinable());
    EXPECT_FALSE(deviceAt(device_)->stream.deliverer.joinable());
    EXPECT_EQ(TQ_StopCapture(device_), TQ_E_CAPTURE_STOPPED);
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    FrameRecorder::instance().clear();
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
}

TEST_F(CaptureTest, SuspendHoldsBothThreads) {
    openAndInit("K1M");
    start();
    FrameRecorder& recorder = FrameRecorder::instance();
    ASSERT_TRUE(recorder.waitForImages(1));
    ASSERT_EQ(TQ_SuspendCapture(1, device_), TQ_SUCCESS);
    std::this_thread::sleep_for(milliseconds(150));
    const size_t held = recorder.records().size();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(recorder.records().size(), held);
    ASSERT_EQ(TQ_SuspendCapture(0, device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitForImages(held + 1));
}

// The machine program's way: snapshot mode, one trigger per image, often
// more than a second apart.
TEST_F(CaptureTest, SnapshotCaptureOutlivesAnImageWithoutItsLastPacket) {
    openAndInit("K1M");
    startSnapshot();
    const Counts before = counts();
    camsim::Faults f;
    f.loseLastPacketOfTrigger = 1;
    camera_->setFaults(f);
    const uint64_t lossy = camera_->imagesSent() + 1;
    ASSERT_EQ(TQ_SnapSWTrigger(device_), TQ_SUCCESS);
    ASSERT_TRUE(eventually([&] { return camera_->imagesSent() >= lossy; }));
    // Longer than the frame watchdog's second.
    std::this_thread::sleep_for(milliseconds(1500));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(triggerAndWait()) << "trigger " << i;
    }
    EXPECT_EQ(emptyRecords(), 0u);
    for (const FrameRecord& r : FrameRecorder::instance().records()) {
        EXPECT_NE(r.imageNumber, lossy);  // an incomplete image is not delivered
    }
    const Counts after = counts();
    EXPECT_EQ(after.frames - before.frames, 3u);
    EXPECT_EQ(after.lost - before.lost, 1u);
    EXPECT_EQ(after.withLosses - before.withLosses, 1u);
}

TEST_F(CaptureTest, AStrayStreamStatusFrameDoesNotEndSnapshotCapture) {
    openAndInit("K1M");
    startSnapshot();
    const Counts before = counts();
    // 18 bytes from someone else on the segment: "an image begins".
    auto* transport = dynamic_cast<camsim::InProcessTransport*>(deviceAt(device_)->transport.get());
    ASSERT_NE(transport, nullptr);
    transport->inject(wire::streamStatus({0x02, 0, 0, 0, 0, 0x66}, wire::kStreamStatusFrameBegins));
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_TRUE(triggerAndWait());
    EXPECT_EQ(emptyRecords(), 0u);
    const Counts after = counts();
    EXPECT_EQ(after.frames - before.frames, 1u);
    EXPECT_EQ(after.lost, before.lost);
}

// A colour camera streaming in preview, suspended while an image is under way
// for longer than the frame watchdog's second.
TEST_F(CaptureTest, ALongSuspensionDoesNotEndAColourPreview) {
    openAndInit("K6C");
    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    start();
    FrameRecorder& recorder = FrameRecorder::instance();
    ASSERT_TRUE(recorder.waitForImages(2));
    // The camera stops inside its next image, so the receiver waits for the
    // rest of an announced image when the stream is suspended.
    camsim::Faults f;
    f.stopAfterPackets = 100;
    const uint64_t sent = camera_->imagesSent();
    camera_->setFaults(f);
    ASSERT_TRUE(eventually([&] { return camera_->imagesSent() > sent; }));
    ASSERT_EQ(TQ_SuspendCapture(1, device_), TQ_SUCCESS);
    std::this_thread::sleep_for(milliseconds(1500));
    camera_->setFaults({});
    const size_t held = recorder.records().size();
    ASSERT_EQ(TQ_SuspendCapture(0, device_), TQ_SUCCESS);
    EXPECT_TRUE(recorder.waitForImages(held + 2));
    EXPECT_EQ(emptyRecords(), 0u);
    EXPECT_FALSE(deviceAt(device_)->stream.receiverEnded.load());
}

TEST_F(CaptureTest, ARebuildKeepsTheStreamSuspended) {
    openAndInit("K1M");
    start();
    FrameRecorder& recorder = FrameRecorder::instance();
    ASSERT_TRUE(recorder.waitForImages(1));
    ASSERT_EQ(TQ_SuspendCapture(1, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetResolution(320, 240, device_), TQ_SUCCESS);
    std::this_thread::sleep_for(milliseconds(100));
    const size_t held = recorder.records().size();
    std::this_thread::sleep_for(milliseconds(300));
    EXPECT_EQ(recorder.records().size(), held);
    ASSERT_EQ(TQ_SuspendCapture(0, device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitForImages(held + 1));
    EXPECT_EQ(recorder.records().back().width, 320u);
}

// A resolution change in snapshot mode: the camera sends nothing, so the
// rebuild finds no frame. The caller hears of it and the device says what
// it is: not capturing, and not startable until a rebuild succeeds.
TEST_F(CaptureTest, ARebuildThatFindsNoFrameIsReportedAndCaptureShowsStopped) {
    openAndInit("K1M");
    startSnapshot();
    // The stream status frame after the last image is read too.
    auto* transport = dynamic_cast<camsim::InProcessTransport*>(deviceAt(device_)->transport.get());
    ASSERT_NE(transport, nullptr);
    ASSERT_TRUE(eventually([&] { return transport->waiting() == 0; }));
    EXPECT_EQ(TQ_SetResolution(640, 480, device_), TQ_E_NO_FRAME);
    EXPECT_EQ(deviceAt(device_)->capturing.load(), 0);
    EXPECT_FALSE(streamThreadsExist(*deviceAt(device_)));
    EXPECT_EQ(TQ_StopCapture(device_), TQ_E_CAPTURE_STOPPED);
    EXPECT_EQ(TQ_StartCapture(device_), TQ_E_CAPTURE_NOT_INIT);
    // Back in preview the camera sends again and the rebuild succeeds.
    ASSERT_EQ(TQ_SetPreviewSnapMode(1, 0, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_SetResolution(640, 480, device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
    EXPECT_EQ(FrameRecorder::instance().records().back().width, 640u);
}

// The settings file load reads the sensor's registers back: its replies
// must not be taken by the receive thread.
TEST_F(CaptureTest, LoadingTheSettingsFileWhileCapturingReadsTheSensorBack) {
    openAndInit("K6C");
    ASSERT_EQ(TQ_SetResolution(1024, 768, device_), TQ_SUCCESS);
    start();
    ASSERT_TRUE(FrameRecorder::instance().waitForImages(1));
    // The horizontal blanking changes behind the driver's back.
    struct Ignore : camsim::FrameSink {
        void emit(std::span<const uint8_t>) override {}
    } ignore;
    const wire::SensorEntry e{wire::kWriteCodeStandard, 0x05, 0x01, 0x23};
    camera_->handleRequest(wire::sensorTransfer({}, std::span(&e, 1)),
                           std::chrono::steady_clock::now(), ignore);
    auto* transport = dynamic_cast<camsim::InProcessTransport*>(deviceAt(device_)->transport.get());
    ASSERT_NE(transport, nullptr);
    const uint64_t overlapping = transport->overlappingReceives();
    ASSERT_EQ(TQ_IniCamFromIniFile(device_, nullptr), TQ_SUCCESS);
    EXPECT_EQ(deviceAt(device_)->mirror.reg[0x05], 0x0123);
    EXPECT_EQ(transport->overlappingReceives(), overlapping);
    FrameRecorder::instance().clear();
    EXPECT_TRUE(FrameRecorder::instance().waitForImages(2));
}

// What the frame callback does with its own device while the program acts
// on it at the same time.
namespace callback_race {

enum class Action { Stop, Close };
std::atomic<int> gDevice{-1};
std::atomic<Action> gAction{Action::Stop};
std::atomic<bool> gInside{false};
std::atomic<bool> gDone{false};

void actOnOwnDevice(TQ_FrameInfo* info) {
    if (info->image == nullptr || gDone.exchange(true)) {
        return;
    }
    gInside = true;
    // Give the program's call time to begin beside this one.
    std::this_thread::sleep_for(milliseconds(2));
    if (gAction == Action::Stop) {
        TQ_StopCapture(gDevice);
    } else {
        TQ_CloseDevice(gDevice);
    }
}

}  // namespace callback_race

TEST_F(CaptureTest, TheCallbackStopsOrClosesItsDeviceWhileTheProgramDoesToo) {
    using namespace callback_race;
    enum class Program { Stop, Close, Resolution };
    useModel("K1M");
    gDevice = device_;
    for (Action action : {Action::Stop, Action::Close}) {
        for (Program program : {Program::Stop, Program::Close, Program::Resolution}) {
            SCOPED_TRACE(::testing::Message() << "callback " << static_cast<int>(action)
                                              << ", program " << static_cast<int>(program));
            if (deviceAt(device_)->open.load() == 0) {
                ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
                ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
            }
            gAction = action;
            gInside = false;
            gDone = false;
            TQ_SetCallBack(actOnOwnDevice, device_);
            ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
            ASSERT_TRUE(eventually([] { return gInside.load(); }));
            switch (program) {
                case Program::Stop:
                    TQ_StopCapture(device_);
                    break;
                case Program::Close:
                    TQ_CloseDevice(device_);
                    break;
                case Program::Resolution:
                    // The whole sensor: a rebuild that leaves the camera's
                    // window as a later open expects it.
                    TQ_SetResolution(752, 480, device_);
                    break;
            }
            // Whoever came first, capture has ended and says so.
            TQ_StopCapture(device_);
            EXPECT_FALSE(streamThreadsExist(*deviceAt(device_)));
            EXPECT_EQ(TQ_StopCapture(device_), TQ_E_CAPTURE_STOPPED);
        }
    }
    // The device still works afterwards.
    TQ_CloseDevice(device_);
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    FrameRecorder::instance().clear();
    start();
    EXPECT_TRUE(FrameRecorder::instance().waitForImages(2));
}

}  // namespace
}  // namespace ostrel::testing
