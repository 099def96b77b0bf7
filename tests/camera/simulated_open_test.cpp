// Discovery, open and capture initialisation against the in-process camera.
#include <pcap/pcap.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "camera/device_table.h"
#include "simulated_camera_fixture.h"

namespace ostrel::testing {
namespace {

using Clock = std::chrono::steady_clock;

// The system's own word on an interface: its hardware type (1: Ethernet).
std::string interfaceType(const std::string& name) {
    std::ifstream in("/sys/class/net/" + name + "/type");
    std::string type;
    in >> type;
    return type;
}

TEST_F(SimulatedCameraTest, OnlyEthernetAdaptersAreListedThenTheSimulatedCamera) {
    useModel("K1M");
    EXPECT_EQ(description_, "Simulated camera K1M (in process)");

    // The same list without the variable: one adapter less, descriptions as
    // the capture library gives them, in its order, and only the adapters a
    // camera can be cabled to: no pseudo-devices, no loopback.
    unsetenv("OSTREL_SIMULATED_CAMERA");
    TQ_DeviceNode* list = nullptr;
    int count = 0;
    ASSERT_EQ(TQ_EnumerateDevice(&list, &count), TQ_SUCCESS);
    EXPECT_EQ(count, adapters_ - 1);
    pcap_if_t* devices = nullptr;
    char errbuf[PCAP_ERRBUF_SIZE];
    ASSERT_EQ(pcap_findalldevs(&devices, errbuf), 0);
    std::vector<std::pair<std::string, std::string>> ethernet;
    for (pcap_if_t* p = devices; p != nullptr; p = p->next) {
        if (interfaceType(p->name) == "1") {
            ethernet.emplace_back(p->name, p->description ? p->description : "");
        }
    }
    pcap_freealldevs(devices);
    std::vector<std::pair<std::string, std::string>> listed;
    for (TQ_DeviceNode* n = list; n != nullptr;) {
        listed.emplace_back(n->name, n->description);
        TQ_DeviceNode* next = n->next;
        std::free(n->name);
        std::free(n->description);
        std::free(n->hardwareAddress);
        std::free(n);
        n = next;
    }
    EXPECT_EQ(listed, ethernet);
    for (const auto& [name, description] : listed) {
        for (const char* pseudo : {"any", "lo", "nflog", "nfqueue", "dbus-system", "dbus-session",
                                   "bluetooth-monitor", "usbmon0"}) {
            EXPECT_NE(name, pseudo);
        }
    }
}

TEST_F(SimulatedCameraTest, AnUnknownModelAddsNoAdapterAndSaysSo) {
    useModel("K1M");
    setenv("OSTREL_SIMULATED_CAMERA", "K9Z", 1);
    TQ_DeviceNode* list = nullptr;
    int count = 0;
    ASSERT_EQ(TQ_EnumerateDevice(&list, &count), TQ_SUCCESS);
    EXPECT_EQ(count, adapters_ - 1);
    while (list != nullptr) {
        TQ_DeviceNode* next = list->next;
        std::free(list->name);
        std::free(list->description);
        std::free(list->hardwareAddress);
        std::free(list);
        list = next;
    }
    ASSERT_FALSE(messages().empty());
    EXPECT_NE(messages().back().find("K9Z"), std::string::npos);
}

TEST_F(SimulatedCameraTest, OpenReadsTheModelAndASecondOpenIsRefused) {
    useModel("K6C");
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    EXPECT_EQ(deviceAt(device_)->model, "K6C");
    EXPECT_EQ(deviceAt(device_)->modelCode, 7);
    const int identityReads = camera_->commandCount('X');
    EXPECT_EQ(TQ_OpenDevice(device_), TQ_E_FAILED);
    EXPECT_EQ(camera_->commandCount('X'), identityReads);  // the camera was not asked again
}

TEST_F(SimulatedCameraTest, IndexesBeyondTheListAreRefused) {
    useModel("K1M");
    EXPECT_EQ(TQ_OpenDevice(adapters_), TQ_E_FAILED);
    EXPECT_EQ(TQ_OpenDevice(adapters_ + 1), TQ_E_FAILED);
    EXPECT_EQ(TQ_OpenDevice(-1), TQ_E_FAILED);
}

TEST_F(SimulatedCameraTest, ACameraThatNeverAnswersTimesOutAfterOneToTwoSeconds) {
    useModel("K1M");
    camsim::Faults f;
    f.silentReads = true;
    camera_->setFaults(f);
    const auto start = Clock::now();
    EXPECT_EQ(TQ_OpenDevice(device_), TQ_E_NO_REPLY);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_GE(seconds, 1.0);
    EXPECT_LT(seconds, 2.5);
    EXPECT_EQ(deviceAt(device_)->open.load(), 0);
    EXPECT_EQ(TQ_DevCapInit(device_, nullptr), TQ_E_DEVICE_NOT_OPEN);
}

TEST_F(SimulatedCameraTest, ASwitchedOffCameraAnswersNoReply) {
    useModel("K1M");
    camsim::Faults f;
    f.poweredOff = true;
    camera_->setFaults(f);
    const auto start = Clock::now();
    EXPECT_EQ(TQ_OpenDevice(device_), TQ_E_NO_REPLY);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1000));
}

TEST_F(SimulatedCameraTest, CaptureInitArmsReadsTheSensorAndSizesTheImage) {
    openAndInit("K1M");
    EXPECT_EQ(camera_->commandCount(0x5B), 1);
    EXPECT_EQ(camera_->controllerRegister(0x5A00) & 0x51, 0x51u);
    EXPECT_EQ(deviceAt(device_)->sensorId, 0x1313);
    int w = 0;
    int h = 0;
    ASSERT_EQ(TQ_GetMaxResolution(&w, &h, device_), TQ_SUCCESS);
    EXPECT_EQ(w, 752);
    EXPECT_EQ(h, 480);
    int channels = 0;
    ASSERT_EQ(TQ_GetImageChannel(&channels, device_), TQ_SUCCESS);
    EXPECT_EQ(channels, 1);
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 752);
    EXPECT_EQ(r.height, 480);

    // A second initialisation repeats the arm and the chip read, and changes nothing.
    ASSERT_EQ(TQ_SetResolution(640, 480, device_), TQ_SUCCESS);
    EXPECT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    EXPECT_EQ(camera_->commandCount(0x5B), 2);
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 640);
}

TEST_F(SimulatedCameraTest, ColourCameraOfTheStandardSensors) {
    openAndInit("K6C");
    EXPECT_EQ(deviceAt(device_)->sensorId, 0x1801);
    int channels = 0;
    ASSERT_EQ(TQ_GetImageChannel(&channels, device_), TQ_SUCCESS);
    EXPECT_EQ(channels, 3);
    // The mirror was read back from the camera.
    TQ_Resolution r{};
    ASSERT_EQ(TQ_GetResolution(&r, device_), TQ_SUCCESS);
    EXPECT_EQ(r.width, 2592);
    EXPECT_EQ(r.height, 1944);
    TQ_VideoInfo info{};
    ASSERT_EQ(TQ_GetParamInfo(0, &info, device_), TQ_SUCCESS);
    EXPECT_EQ(info.width, 2592);
    EXPECT_EQ(info.height, 1944);
}

TEST_F(SimulatedCameraTest, StartNeedsOpenAndInitialisedCaptureWithBuffers) {
    useModel("K1M");
    EXPECT_EQ(TQ_StartCapture(device_), TQ_E_DEVICE_NOT_OPEN);
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    EXPECT_EQ(TQ_StartCapture(device_), TQ_E_CAPTURE_NOT_INIT);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    TQ_DevCapRelease(device_);
    EXPECT_EQ(TQ_StartCapture(device_), TQ_E_CAPTURE_NOT_INIT);
}

// The camera stops answering its sensor reads while capturing: capture
// initialisation finds no chip identifier and the device is no longer open.
// Once the camera is back, a new open and capture initialisation start afresh.
TEST_F(SimulatedCameraTest, ReopeningAfterTheChipIdentifierTimedOutBuildsTheBuffersAgain) {
    openAndInit("K1M");
    FrameRecorder& recorder = FrameRecorder::instance();
    recorder.clear();
    TQ_SetCallBack(FrameRecorder::callback, device_);
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    ASSERT_TRUE(recorder.waitForImages(1));
    camsim::Faults f;
    f.silentSensorReads = true;
    camera_->setFaults(f);
    EXPECT_EQ(TQ_DevCapInit(device_, nullptr), TQ_E_NO_REPLY);
    EXPECT_EQ(deviceAt(device_)->open.load(), 0);
    EXPECT_EQ(TQ_StopCapture(device_), TQ_E_CAPTURE_STOPPED);

    camera_->setFaults({});
    ASSERT_EQ(TQ_OpenDevice(device_), TQ_SUCCESS);
    EXPECT_EQ(TQ_StartCapture(device_), TQ_E_CAPTURE_NOT_INIT);
    ASSERT_EQ(TQ_DevCapInit(device_, nullptr), TQ_SUCCESS);
    EXPECT_TRUE(deviceAt(device_)->stream.built.load());
    recorder.clear();
    ASSERT_EQ(TQ_StartCapture(device_), TQ_SUCCESS);
    EXPECT_TRUE(recorder.waitForImages(2));
}

TEST_F(SimulatedCameraTest, OldFirmwareKeeps1024BytePackets) {
    openAndInit("K1M");
    camera_->setFirmwareVersion(0x0002010B);
    EXPECT_EQ(TQ_SetPacketSize(1400, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->payload(), 1024u);
    EXPECT_EQ(deviceAt(device_)->payload, 1024u);
    camera_->setFirmwareVersion(0x0002010C);
    EXPECT_EQ(TQ_SetPacketSize(1400, device_), TQ_SUCCESS);
    EXPECT_EQ(camera_->payload(), 1400u);
    EXPECT_EQ(deviceAt(device_)->stream.geometry.payload, 1400u);
    EXPECT_EQ(TQ_SetPacketSize(0, device_), TQ_E_PARAMETER);
}

}  // namespace
}  // namespace ostrel::testing
