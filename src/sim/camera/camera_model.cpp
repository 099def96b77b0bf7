// The simulated camera's registers, commands, images and faults.
#include "sim/camera/camera_model.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "camera/image_conversion.h"
#include "camera/stream_geometry.h"

namespace camsim {

namespace wire = ostrel::wire;

namespace {

constexpr size_t kLogLimit = 100000;

}  // namespace

CameraModel::CameraModel(const ModelSpec& model)
    : model_(model), scene_(std::make_unique<TestPatternScene>()) {
    periodUs_ = static_cast<uint32_t>(1'000'000 / std::max(model.defaultFramesPerSecond, 1));
    switch (model.form) {
        case RegisterForm::Standard:
            regs_[0x00] = model.sensorId;
            regs_[0x01] = 12;
            regs_[0x02] = 20;
            regs_[0x03] = static_cast<uint16_t>(model.maxHeight - 1);
            regs_[0x04] = static_cast<uint16_t>(model.maxWidth - 1);
            for (uint8_t r : {0x35, 0x2B, 0x2E, 0x2D, 0x2C}) {
                regs_[r] = 8;
            }
            regs_[0x09] = static_cast<uint16_t>(model.maxHeight);
            break;
        case RegisterForm::K1:
            regs_[0x00] = model.sensorId;
            regs_[0x01] = 1;
            regs_[0x02] = 4;
            regs_[0x03] = static_cast<uint16_t>(model.maxHeight);
            regs_[0x04] = static_cast<uint16_t>(model.maxWidth);
            regs_[0x0D] = 0x0300;
            regs_[0x35] = 16;
            regs_[0x09] = 480;
            break;
        case RegisterForm::ByteWide: {
            auto set16 = [this](uint16_t a, uint16_t v) {
                bytes_[a] = static_cast<uint8_t>(v >> 8);
                bytes_[static_cast<uint16_t>(a + 1)] = static_cast<uint8_t>(v);
            };
            set16(0x0000, model.sensorId);
            set16(0x0344, 112);
            set16(0x0346, 8);
            set16(0x034A, static_cast<uint16_t>(model.maxHeight + 7));
            set16(0x034C, static_cast<uint16_t>(model.maxWidth));
            break;
        }
        case RegisterForm::WideAddress:
            // Column window in units of 8: high byte end - 1, low byte start.
            wide_[256] = static_cast<uint16_t>(((model.maxWidth / 8 - 1) & 0xFF) << 8);
            wide_[257] = 0;
            wide_[258] = static_cast<uint16_t>(model.maxHeight - 1);
            break;
    }
}

void CameraModel::handleRequest(std::span<const uint8_t> frame, SteadyClock::time_point now,
                                FrameSink& out) {
    std::lock_guard lock(mutex_);
    if (frame.size() < wire::kHeaderSize ||
        !std::equal(wire::kCameraAddress.begin(), wire::kCameraAddress.end(), frame.begin())) {
        return;
    }
    if (faults_.poweredOff) {
        return;
    }
    ++framesReceived_;
    wire::MacAddress source;
    std::copy(frame.begin() + 6, frame.begin() + 12, source.begin());
    if (source != wire::MacAddress{}) {
        peer_ = source;
    }
    switch (wire::classifyRequest(frame)) {
        case wire::RequestKind::SensorTransfer:
            ++commandCounts_[wire::kSensorTransfer];
            handleSensorTransfer(frame, out);
            break;
        case wire::RequestKind::Command:
            ++commandCounts_[wire::commandCode(frame)];
            handleCommand(frame, now);
            break;
        case wire::RequestKind::ControllerRead:
            ++commandCounts_[wire::kControllerRead];
            handleControllerRead(frame, out);
            break;
        case wire::RequestKind::ControllerWrite:
            ++commandCounts_[wire::kControllerWrite];
            handleControllerWrite(frame);
            break;
        case wire::RequestKind::Unknown:
            break;
    }
}

void CameraModel::log(const SensorAccess& a) {
    if (log_.size() < kLogLimit) {
        log_.push_back(a);
    }
}

uint8_t CameraModel::byteGet(uint16_t address) const {
    auto it = bytes_.find(address);
    return it == bytes_.end() ? 0 : it->second;
}

uint16_t CameraModel::wideGet(uint16_t address) const {
    if (model_.form == RegisterForm::ByteWide) {
        return static_cast<uint16_t>(byteGet(address) << 8 | byteGet(static_cast<uint16_t>(address + 1)));
    }
    auto it = wide_.find(address);
    return it == wide_.end() ? 0 : it->second;
}

void CameraModel::handleSensorTransfer(std::span<const uint8_t> frame, FrameSink& out) {
    std::vector<wire::SensorEntry> entries = wire::sensorEntries(frame);
    bool anyRead = false;
    for (wire::SensorEntry& e : entries) {
        const uint16_t value = static_cast<uint16_t>(e.b2 << 8 | e.b3);
        switch (model_.form) {
            case RegisterForm::Standard:
            case RegisterForm::K1: {
                // Both code pairs are understood: the driver sends its
                // many-entry frames with the standard codes on every model.
                const bool write = e.b0 == wire::kWriteCodeStandard || e.b0 == wire::kWriteCodeK1;
                const bool read = e.b0 == wire::kReadCodeStandard || e.b0 == wire::kReadCodeK1;
                if (write) {
                    if (e.b1 != 0) {  // the chip identifier cannot be written
                        regs_[e.b1] = value;
                    }
                    log({e.b0, e.b1, value, true});
                } else if (read) {
                    e.b2 = static_cast<uint8_t>(regs_[e.b1] >> 8);
                    e.b3 = static_cast<uint8_t>(regs_[e.b1]);
                    anyRead = true;
                    log({e.b0, e.b1, regs_[e.b1], false});
                }
                break;
            }
            case RegisterForm::ByteWide: {
                const uint16_t address = static_cast<uint16_t>(e.b1 << 8 | e.b2);
                if (e.b0 == wire::kWriteCodeByteWide) {
                    if (address > 1) {
                        bytes_[address] = e.b3;
                    }
                    log({e.b0, address, e.b3, true});
                } else if (e.b0 == wire::kReadCodeByteWide) {
                    e.b3 = byteGet(address);
                    anyRead = true;
                    log({e.b0, address, e.b3, false});
                }
                break;
            }
            case RegisterForm::WideAddress: {
                const uint16_t sent = static_cast<uint16_t>(e.b0 << 8 | e.b1);
                const uint16_t address = sent & 0x6FFF;
                if (sent & 0x8000) {
                    wide_[address] = value;
                    log({0, address, value, true});
                } else {
                    const uint16_t v = wideGet(address);
                    e.b2 = static_cast<uint8_t>(v >> 8);
                    e.b3 = static_cast<uint8_t>(v);
                    anyRead = true;
                    log({0, address, v, false});
                }
                break;
            }
        }
    }
    if (anyRead && !faults_.silentReads && !faults_.silentSensorReads) {
        out.emit(wire::sensorReply(peer_, entries));
    }
}

void CameraModel::handleCommand(std::span<const uint8_t> frame, SteadyClock::time_point now) {
    const uint8_t code = wire::commandCode(frame);
    const auto argument = wire::commandArgument(frame);
    if (argument) {
        lastArguments_[code] = *argument;
    }
    switch (code) {
        case wire::kCaptureArm:
            armed_ = true;
            stalled_ = false;
            nextImage_ = now;
            break;
        case wire::kSoftwareTrigger:
            if (!preview_) {
                burstLeft_ += static_cast<int>(std::max<uint32_t>(imageCount_, 1));
                nextImage_ = std::max(nextImage_, now);
                if (++triggersSinceFaults_ == faults_.loseLastPacketOfTrigger) {
                    loseLastOfNextImage_ = true;
                }
            }
            break;
        case wire::kTriggerPeriod:
            if (argument && *argument > 0) {
                periodUs_ = *argument;
            }
            break;
        case wire::kTriggerImageCount:
            if (argument) {
                imageCount_ = std::min<uint32_t>(*argument, 1000);
            }
            break;
        case wire::kPreviewSnapMode:
            if (argument) {
                preview_ = (*argument >> 24) & 0x80;
                snapKind_ = preview_ ? 0 : static_cast<int>(*argument & 3);
                burstLeft_ = 0;
                nextImage_ = now;
            }
            break;
        default:
            break;
    }
}

void CameraModel::handleControllerRead(std::span<const uint8_t> frame, FrameSink& out) {
    if (faults_.silentReads) {
        return;
    }
    const uint16_t address = wire::controllerAddress(frame);
    const size_t count = frame.size() >= 22 ? std::min<size_t>(frame[21], 64) : 0;
    std::vector<uint32_t> words(count, 0);
    if (address == wire::kIdentityRegister) {
        std::vector<uint8_t> text(count * 4, 0);
        std::copy_n(model_.name.begin(), std::min(model_.name.size(), text.size()), text.begin());
        for (size_t k = 0; k < count; ++k) {
            words[k] = wire::readBe32(text.data() + 4 * k);
        }
    } else {
        for (size_t k = 0; k < count; ++k) {
            const auto a = static_cast<uint16_t>(address + k);
            if (a == wire::kFirmwareVersionRegister) {
                words[k] = firmwareVersion_;
            } else if (a == wire::kPacketSizeRegister) {
                words[k] = payload_;
            } else {
                auto it = controller_.find(a);
                words[k] = it == controller_.end() ? 0 : it->second;
            }
        }
    }
    out.emit(wire::controllerReply(peer_, address, words));
}

void CameraModel::handleControllerWrite(std::span<const uint8_t> frame) {
    const uint16_t address = wire::controllerAddress(frame);
    for (size_t k = 0; wire::kHeaderSize + 4 * (k + 1) <= frame.size(); ++k) {
        const uint32_t v = wire::readBe32(frame.data() + wire::kHeaderSize + 4 * k);
        const auto a = static_cast<uint16_t>(address + k);
        // Older firmware keeps 1024-byte packets whatever it is told.
        if (a == wire::kPacketSizeRegister) {
            if (firmwareVersion_ >= wire::kPacketSizeVersion && v >= 16 && v <= 9000) {
                payload_ = v;
            }
            continue;
        }
        controller_[a] = v;
    }
}

SteadyClock::duration CameraModel::period() const {
    return std::chrono::microseconds(std::max<uint32_t>(periodUs_, 1000));
}

SteadyClock::time_point CameraModel::advance(SteadyClock::time_point now, FrameSink& out) {
    std::lock_guard lock(mutex_);
    constexpr auto kNever = SteadyClock::time_point::max();
    if (!armed_ || stalled_ || faults_.poweredOff) {
        return kNever;
    }
    if (preview_) {
        if (now >= nextImage_) {
            emitImage(out);
            nextImage_ += period();
            // A camera does not make up for images it had no time to send.
            if (nextImage_ <= now) {
                nextImage_ = now + period();
            }
        }
        return stalled_ ? kNever : nextImage_;
    }
    if (burstLeft_ > 0 && now >= nextImage_) {
        emitImage(out);
        --burstLeft_;
        nextImage_ = now + period();
    }
    return burstLeft_ > 0 && !stalled_ ? nextImage_ : kNever;
}

int CameraModel::mirrorBits() const {
    switch (model_.form) {
        case RegisterForm::Standard:
            return (regs_[0x20] >> 15 & 1) | (regs_[0x20] >> 14 & 1) << 1;
        case RegisterForm::K1:
            return (regs_[0x0D] >> 4 & 1) | (regs_[0x0D] >> 5 & 1) << 1;
        case RegisterForm::ByteWide: {
            const uint16_t r = wideGet(0x3040);
            return (r >> 15 & 1) | (r >> 14 & 1) << 1;
        }
        case RegisterForm::WideAddress:
            return 0;
    }
    return 0;
}

std::pair<int, int> CameraModel::imageSizeLocked() const {
    int w = 0;
    int h = 0;
    switch (model_.form) {
        case RegisterForm::Standard: {
            // The controller sends whole blocks of 8 x 8 pixels of the window
            // (the driver opens the window a little larger than the image).
            const int skipColumns = (regs_[0x23] & 7) + 1;
            const int skipRows = (regs_[0x22] & 7) + 1;
            w = ((regs_[0x04] + 1) / skipColumns) & ~7;
            h = ((regs_[0x03] + 1) / skipRows) & ~7;
            break;
        }
        case RegisterForm::K1:
            w = regs_[0x04];
            h = regs_[0x03];
            break;
        case RegisterForm::ByteWide:
            w = wideGet(0x034C);
            h = wideGet(0x034A) - wideGet(0x0346) + 1;
            break;
        case RegisterForm::WideAddress: {
            const uint16_t columns = wideGet(256);
            w = ((columns >> 8) + 1 - (columns & 0xFF)) * 8;
            h = wideGet(258) - wideGet(257) + 1;
            break;
        }
    }
    w = std::clamp(w, 0, model_.maxWidth);
    h = std::clamp(h, 0, model_.maxHeight);
    return {w, h};
}

void CameraModel::makeRaw(int w, int h) {
    const size_t stride = static_cast<size_t>(w) * 3;
    raw_.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    const int flips = model_.sensorMirrors ? mirrorBits() : 0;
    const ostrel::BayerPhase phase = model_.phaseFollowsMirror
                                         ? ostrel::mirroredPhase(ostrel::kCameraMosaicPhase, flips)
                                         : ostrel::kCameraMosaicPhase;
    const int redCol = static_cast<int>(phase) & 1;
    const int redRow = static_cast<int>(phase) >> 1 & 1;
    for (int y = 0; y < h; ++y) {
        const int sy = (flips & 1) ? h - 1 - y : y;
        const uint8_t* row = bgr_.data() + static_cast<size_t>(sy) * stride;
        uint8_t* out = raw_.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
        const bool redRowHere = (y & 1) == redRow;
        for (int x = 0; x < w; ++x) {
            const int sx = (flips & 2) ? w - 1 - x : x;
            const uint8_t* p = row + static_cast<size_t>(sx) * 3;
            if (!model_.colour) {
                out[x] = static_cast<uint8_t>((p[0] + 2 * p[1] + p[2] + 2) / 4);
                continue;
            }
            const bool redColumn = (x & 1) == redCol;
            if (redRowHere) {
                out[x] = redColumn ? p[2] : p[1];
            } else {
                out[x] = redColumn ? p[1] : p[0];
            }
        }
    }
}

void CameraModel::emitImage(FrameSink& out) {
    const auto [w, h] = imageSizeLocked();
    if (w <= 0 || h <= 0) {
        return;
    }
    ++imagesSent_;
    const auto tag = static_cast<uint8_t>(imagesSent_);
    bgr_.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    scene_->render(imagesSent_, w, h, bgr_.data());
    makeRaw(w, h);
    out.emit(wire::streamStatus(peer_, wire::kStreamStatusFrameBegins));

    const ostrel::StreamGeometry g =
        ostrel::streamGeometry(static_cast<uint32_t>(w), static_cast<uint32_t>(h), payload_);
    int sent = 0;
    bool holding = false;
    const bool loseLast = std::exchange(loseLastOfNextImage_, false);
    auto build = [&](ostrel::wire::Frame& into, uint16_t n) {
        uint32_t bytes = g.bytesOfPacket(n);
        if (auto it = faults_.shortPackets.find(n); it != faults_.shortPackets.end()) {
            bytes = std::min(bytes, it->second);
        }
        const size_t offset = static_cast<size_t>(n - 1) * g.payload;
        wire::dataPacket(into, peer_, tag, n, std::span(raw_.data() + offset, bytes));
    };
    auto stop = [&] {
        if (faults_.stopAfterPackets >= 0 && sent >= faults_.stopAfterPackets) {
            faults_.stopAfterPackets = -1;
            stalled_ = true;
        }
        return stalled_;
    };
    for (uint32_t k = 1; k <= g.packetsPerFrame && !stop(); ++k) {
        const auto n = static_cast<uint16_t>(k);
        if (faults_.dropPackets.count(n) != 0 || (loseLast && k == g.packetsPerFrame)) {
            continue;
        }
        if (faults_.sendAfterNext.count(n) != 0 && k < g.packetsPerFrame && !holding) {
            build(held_, n);
            holding = true;
            continue;
        }
        build(packet_, n);
        out.emit(packet_);
        ++sent;
        if (holding && !stop()) {
            out.emit(held_);
            ++sent;
            holding = false;
        }
    }
    if (holding && !stalled_) {
        out.emit(held_);
    }
    if (!stalled_) {
        out.emit(wire::streamStatus(peer_, wire::kStreamStatusFrameEnds));
    }
}

void CameraModel::setScene(std::unique_ptr<Scene> scene) {
    std::lock_guard lock(mutex_);
    scene_ = scene ? std::move(scene) : std::make_unique<TestPatternScene>();
}

void CameraModel::setFaults(const Faults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
    stalled_ = false;
    triggersSinceFaults_ = 0;
}

Faults CameraModel::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void CameraModel::setFirmwareVersion(uint32_t version) {
    std::lock_guard lock(mutex_);
    firmwareVersion_ = version;
}

uint16_t CameraModel::sensorRegister(uint16_t address) const {
    std::lock_guard lock(mutex_);
    if (model_.form == RegisterForm::Standard || model_.form == RegisterForm::K1) {
        return regs_[address & 0xFF];
    }
    return wideGet(address);
}

uint32_t CameraModel::controllerRegister(uint16_t address) const {
    std::lock_guard lock(mutex_);
    if (address == wire::kPacketSizeRegister) {
        return payload_;
    }
    auto it = controller_.find(address);
    return it == controller_.end() ? 0 : it->second;
}

std::vector<SensorAccess> CameraModel::sensorAccesses() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void CameraModel::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
    commandCounts_.clear();
    framesReceived_ = 0;
}

int CameraModel::commandCount(uint8_t code) const {
    std::lock_guard lock(mutex_);
    auto it = commandCounts_.find(code);
    return it == commandCounts_.end() ? 0 : it->second;
}

int CameraModel::framesReceived() const {
    std::lock_guard lock(mutex_);
    return framesReceived_;
}

std::optional<uint32_t> CameraModel::lastArgument(uint8_t code) const {
    std::lock_guard lock(mutex_);
    auto it = lastArguments_.find(code);
    if (it == lastArguments_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool CameraModel::previewMode() const {
    std::lock_guard lock(mutex_);
    return preview_;
}

int CameraModel::snapKind() const {
    std::lock_guard lock(mutex_);
    return snapKind_;
}

uint32_t CameraModel::payload() const {
    std::lock_guard lock(mutex_);
    return payload_;
}

uint64_t CameraModel::imagesSent() const {
    std::lock_guard lock(mutex_);
    return imagesSent_;
}

std::pair<int, int> CameraModel::imageSize() const {
    std::lock_guard lock(mutex_);
    return imageSizeLocked();
}

}  // namespace camsim
