// The simulated camera: registers, commands, stream timing and faults.
//
// One model of the camera sits behind two front ends: the in-process
// transport (fast tests, the machine program without hardware) and
// ostrel-camsim on a real interface. It reads and builds its frames with the
// driver's own wire format functions. Time comes in as an argument, so a test
// can drive it frame by frame; every public call is safe from any thread.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "camera/wire_format.h"
#include "sim/camera/scene.h"
#include "sim/camera/sim_models.h"

namespace camsim {

using SteadyClock = std::chrono::steady_clock;

// Where the camera's frames go.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    virtual void emit(std::span<const uint8_t> frame) = 0;
};

// Fault knobs. Packet numbers count from 1 within each image.
struct Faults {
    std::set<uint16_t> dropPackets;        // never sent, in every image
    std::set<uint16_t> sendAfterNext;      // packet n goes out right after packet n + 1
    std::map<uint16_t, uint32_t> shortPackets;  // packet n carries only this many payload bytes
    int stopAfterPackets = -1;             // the next image stops after this many packets and
                                           // the camera sends nothing more (>= 0 to use)
    int loseLastPacketOfTrigger = -1;      // the image of this software trigger (1: the first
                                           // after the faults are set) lacks its last packet
    bool silentReads = false;              // register reads (sensor and controller) get no reply
    bool silentSensorReads = false;        // sensor register reads get no reply
    bool poweredOff = false;               // nothing is answered and nothing is sent
};

// One sensor register access as the camera saw it.
struct SensorAccess {
    uint8_t code = 0;  // access code (0 for the 16-bit address form)
    uint16_t address = 0;
    uint16_t value = 0;
    bool write = false;
};

class CameraModel {
public:
    explicit CameraModel(const ModelSpec& model);

    const ModelSpec& model() const { return model_; }

    // Handles one frame from the driver; replies go to `out` at once.
    void handleRequest(std::span<const uint8_t> frame, SteadyClock::time_point now,
                       FrameSink& out);
    // Sends whatever is due at `now` (stream status frames and image packets)
    // and answers when something is next due (time_point::max() for never).
    SteadyClock::time_point advance(SteadyClock::time_point now, FrameSink& out);

    void setScene(std::unique_ptr<Scene> scene);
    void setFaults(const Faults& faults);
    Faults faults() const;
    void setFirmwareVersion(uint32_t version);

    // What the camera holds and has seen, for tests and the program's log.
    uint16_t sensorRegister(uint16_t address) const;  // 8-bit, byte-wide (16 bits at A, A+1) or K3
    uint32_t controllerRegister(uint16_t address) const;
    std::vector<SensorAccess> sensorAccesses() const;
    void clearLog();
    int commandCount(uint8_t code) const;  // 0x5C, 0x5B, 0x03 ... and 'X' / 'V' for controller frames
    int framesReceived() const;
    std::optional<uint32_t> lastArgument(uint8_t code) const;  // of the one-argument commands
    bool previewMode() const;
    int snapKind() const;
    uint32_t payload() const;
    uint64_t imagesSent() const;
    // The image size the sensor registers give now.
    std::pair<int, int> imageSize() const;

private:
    void handleSensorTransfer(std::span<const uint8_t> frame, FrameSink& out);
    void handleCommand(std::span<const uint8_t> frame, SteadyClock::time_point now);
    void handleControllerRead(std::span<const uint8_t> frame, FrameSink& out);
    void handleControllerWrite(std::span<const uint8_t> frame);
    void emitImage(FrameSink& out);
    void makeRaw(int width, int height);
    std::pair<int, int> imageSizeLocked() const;
    int mirrorBits() const;  // bit 0 vertical, bit 1 horizontal
    uint16_t wideGet(uint16_t address) const;
    uint8_t byteGet(uint16_t address) const;
    void log(const SensorAccess& a);
    SteadyClock::duration period() const;

    const ModelSpec& model_;
    mutable std::mutex mutex_;
    std::unique_ptr<Scene> scene_;
    Faults faults_;

    std::array<uint16_t, 256> regs_{};        // 8-bit register numbers
    std::map<uint16_t, uint8_t> bytes_;       // byte-wide sensors
    std::map<uint16_t, uint16_t> wide_;       // K3 16-bit addresses
    std::map<uint16_t, uint32_t> controller_;
    uint32_t firmwareVersion_ = 0x00020110;
    uint32_t payload_ = ostrel::wire::kDefaultPayload;

    std::vector<SensorAccess> log_;
    std::map<uint8_t, int> commandCounts_;
    std::map<uint8_t, uint32_t> lastArguments_;
    int framesReceived_ = 0;

    ostrel::wire::MacAddress peer_{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    bool armed_ = false;
    bool preview_ = true;
    int snapKind_ = 0;
    bool stalled_ = false;
    uint32_t periodUs_ = 0;
    uint32_t imageCount_ = 0;
    int burstLeft_ = 0;
    SteadyClock::time_point nextImage_{};
    uint64_t imagesSent_ = 0;
    int triggersSinceFaults_ = 0;
    bool loseLastOfNextImage_ = false;

    std::vector<uint8_t> bgr_;
    std::vector<uint8_t> raw_;
    ostrel::wire::Frame packet_;
    ostrel::wire::Frame held_;
};

}  // namespace camsim
