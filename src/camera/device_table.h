// The per-device tables of the driver, indexed by device index.
//
// Everything the library knows about one camera lives in its Device: the
// record made at open, the flags, the model and sensor, the register mirror,
// the settings record and the stream. Exports run on the caller's thread; the
// fields the receive and delivery threads read while they run are atomics or
// are only changed while those threads are stopped.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "camera/frame_assembly.h"
#include "camera/image_conversion.h"
#include "camera/ostrel.h"
#include "camera/stream_geometry.h"
#include "camera/transport.h"
#include "camera/wire_format.h"

namespace ostrel {

inline constexpr int kMaxDevices = 64;
inline constexpr int kFrameSlots = 5;
inline constexpr int kReplyLimitMs = 1000;
inline constexpr int kFrameWatchdogMs = 1000;

using SteadyClock = std::chrono::steady_clock;

// Made by open: who the camera is reached through.
struct DeviceRecord {
    std::string captureName;
    std::string description;
    wire::MacAddress hardwareAddress{};
    bool simulated = false;
};

// The sensor register mirror: last known value of each 8-bit register number
// (the 23 registers the driver uses among them), and of the 16-bit addresses
// of the K3 and byte-wide sensors.
struct RegisterMirror {
    std::array<uint16_t, 256> reg{};
    std::map<uint16_t, uint16_t> wide;
    uint16_t wideValue(uint16_t address) const {
        auto it = wide.find(address);
        return it == wide.end() ? 0 : it->second;
    }
};

// Sensor register numbers of the standard sensors.
namespace reg {
inline constexpr uint8_t kRowStart = 0x01;
inline constexpr uint8_t kColumnStart = 0x02;
inline constexpr uint8_t kRowSize = 0x03;
inline constexpr uint8_t kColumnSize = 0x04;
inline constexpr uint8_t kHorizontalBlanking = 0x05;
inline constexpr uint8_t kVerticalBlanking = 0x06;
inline constexpr uint8_t kShutterHigh = 0x08;
inline constexpr uint8_t kShutterLow = 0x09;
inline constexpr uint8_t kShutterDelay = 0x0C;
inline constexpr uint8_t kReadModeK1 = 0x0D;
inline constexpr uint8_t kReadMode = 0x1E;
inline constexpr uint8_t kMirror = 0x20;
inline constexpr uint8_t kRowAddressMode = 0x22;
inline constexpr uint8_t kColumnAddressMode = 0x23;
inline constexpr uint8_t kGlobalGain = 0x35;
inline constexpr uint8_t kGainG1 = 0x2B;
inline constexpr uint8_t kGainG2 = 0x2E;
inline constexpr uint8_t kGainR = 0x2D;
inline constexpr uint8_t kGainB = 0x2C;
inline constexpr uint8_t kBlackLevelControl = 0x62;
inline constexpr uint8_t kBlackLevelG1 = 0x60;
inline constexpr uint8_t kBlackLevelG2 = 0x61;
inline constexpr uint8_t kBlackLevelR = 0x63;
inline constexpr uint8_t kBlackLevelB = 0x64;
inline constexpr uint8_t kK1Control = 0xAF;
}  // namespace reg

struct ExposureSettings {
    int enable = 1;
    int autoMode = 0;
    int rangeMax = 0;
    int rangeMin = 0;
    int value = 0;
    std::array<uint16_t, 4> lastWritten{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
};

// Gain and black level: five values each.
struct FiveValueSettings {
    int enable = 1;
    int autoMode = 0;
    int rangeMax = 0;
    int rangeMin = 0;
    std::array<int, 5> values{};
};

struct SnapSettings {
    int debounceTime = 20;
    int exposureTime = 80000;
    int frequency = 14;
    int imageCount = 0;
    std::atomic<int> preview{1};
    int kind = 0;
    int inputMode = 0;
    int outputMode = 0;
    std::atomic<int> triggerPending{0};
};

struct FrameSlot {
    std::vector<uint8_t> image;
    bool free = true;
};

// Buffers, ready queue, threads and statistics of one device's stream.
struct Stream {
    // Fixed while the threads run: rebuilt only with them stopped.
    StreamGeometry geometry;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    size_t imageSize = 0;
    std::atomic<bool> built{false};

    std::vector<uint8_t> assembly;      // raw packets put in place
    std::vector<uint8_t> converted;     // the converted image
    std::vector<uint8_t> rawCopy;       // copy of the converted image when the raw copy flag is 1
    std::vector<uint8_t> scratch;       // gamma and mirror steps (one per device)
    std::vector<uint8_t> demosaicWork;  // the demosaic's own rows
    std::vector<uint8_t> delivery;      // handed to the callback; guarded by deliveryLock
    std::mutex deliveryLock;

    // Guarded by `lock`: the slots, the queue and whether the queue exists.
    std::mutex lock;
    std::condition_variable queued;
    std::array<FrameSlot, kFrameSlots> slots;
    std::array<int, kFrameSlots> queue{};  // slot indices, oldest first from queueHead
    int queueHead = 0;
    std::atomic<int> queueCount{0};
    bool queueExists = false;

    // Receive thread state.
    AssemblyState assemblyState;
    bool watchdogArmed = false;
    SteadyClock::time_point lastFrameBegins;
    SteadyClock::time_point rateWindowStart;
    uint32_t rateWindowFrames = 0;
    GammaTable gamma{};

    std::atomic<uint32_t> framesReceived{0};
    std::atomic<uint32_t> packetsLost{0};
    std::atomic<uint32_t> framesWithLosses{0};
    std::atomic<double> frameRate{0.0};
    std::atomic<uint32_t> registerReplyValue{0};

    // The two threads and their stop flags, guarded by threadsLock: a
    // callback may stop or close its own device while the program stops,
    // closes or rebuilds it at the same time. Each thread gets a stop flag of
    // its own, so a thread that outlives its stop (one stopped from its own
    // callback) never takes a newer one's place.
    std::mutex threadsLock;
    std::condition_variable threadsChanged;
    std::thread receiver;
    std::thread deliverer;
    std::shared_ptr<std::atomic<bool>> stopReceiver;
    std::shared_ptr<std::atomic<bool>> stopDeliverer;
    // A delivery thread asked to stop from its own callback cannot wait for
    // itself; it is joined by the next start, stop, close or unload.
    std::vector<std::thread> leftToJoin;
    int stopsUnderWay = 0;       // stops that are joining threads now
    bool receiverAlive = false;  // a receive thread exists that nobody has joined yet
    std::atomic<bool> receiverEnded{false};

    std::mutex suspendMutex;
    std::condition_variable resumed;
    std::atomic<bool> suspended{false};
};

struct Device {
    std::optional<DeviceRecord> record;
    std::unique_ptr<Transport> transport;

    std::atomic<int> capturing{0};
    std::atomic<int> captureInitialised{0};
    std::atomic<int> open{0};
    std::atomic<int> registerDisplay{0};
    std::atomic<int> rawCopy{0};

    std::string model;  // at most 49 characters
    int modelCode = 0;
    uint16_t sensorId = 0;
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;
    uint32_t payload = wire::kDefaultPayload;
    int lineLength = 0;  // kept by the resolution setting of sensor 0x2C01
    std::string settingsFolder;

    RegisterMirror mirror;

    // Image settings the receive thread reads while it runs.
    std::atomic<int> mirrorMode{0};
    std::atomic<int> colour{1};
    std::atomic<int> gammaOn{0};

    ExposureSettings exposure;
    FiveValueSettings gain;
    FiveValueSettings blackLevel;
    SnapSettings snap;

    std::atomic<TQ_FrameCallback> callback{nullptr};

    Stream stream;
};

// The device of an index, or null when the index is outside the table.
Device* deviceAt(int index);

// Number of adapters, set by enumerate (and by open while still 0).
int& adapterCount();

}  // namespace ostrel
