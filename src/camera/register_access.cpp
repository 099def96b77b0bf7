// Sensor and controller register accesses and reply waits.
#include "camera/register_access.h"

#include <thread>

#include "camera/camera_types.h"
#include "camera/message_box.h"

namespace ostrel {

namespace {

constexpr wire::MacAddress kNoAddress{};

const wire::MacAddress& sourceOf(const Device& d) {
    return d.record ? d.record->hardwareAddress : kNoAddress;
}

// Marks the start of a request whose reply is awaited. What waits to be read
// now is older than the request, and it goes first, so that a buffer a
// streaming camera filled leaves room for the reply.
SteadyClock::time_point startRequest(Device& d) {
    if (d.transport) {
        d.transport->discardWaiting();
    }
    return SteadyClock::now();
}

}  // namespace

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool hasRecord(Device& d) {
    if (!d.record || !d.transport) {
        showMessage("Invalible Mac address!", "Error");
        return false;
    }
    return true;
}

int sendFrame(Device& d, const wire::Frame& frame) {
    if (!hasRecord(d)) {
        return -1;
    }
    return d.transport->send(frame);
}

int sendSensorEntries(Device& d, std::span<const uint8_t> registers,
                      std::span<const uint16_t> values, bool write) {
    std::vector<wire::SensorEntry> entries;
    entries.reserve(registers.size());
    for (size_t i = 0; i < registers.size(); ++i) {
        const uint16_t v = write && i < values.size() ? values[i] : 0;
        entries.push_back({write ? wire::kWriteCodeStandard : wire::kReadCodeStandard,
                           registers[i], static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)});
        if (write) {
            d.mirror.reg[registers[i]] = v;
        }
    }
    return sendFrame(d, wire::sensorTransfer(sourceOf(d), entries));
}

int sensorAccess(Device& d, uint8_t reg, uint16_t value, bool write) {
    const AccessCodes codes = accessCodesOf(d.model);
    const wire::SensorEntry e{write ? codes.write : codes.read, reg,
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    if (!hasRecord(d)) {
        return -1;
    }
    if (write) {
        d.mirror.reg[reg] = value;
    }
    return d.transport->send(wire::sensorTransfer(sourceOf(d), std::span(&e, 1)));
}

int byteWideAccess(Device& d, uint16_t address, uint16_t value, bool write) {
    const uint8_t code = write ? wire::kWriteCodeByteWide : wire::kReadCodeByteWide;
    const wire::SensorEntry entries[2] = {
        {code, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
         static_cast<uint8_t>(value >> 8)},
        {code, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>((address & 0xFF) + 1),
         static_cast<uint8_t>(value)},
    };
    if (!hasRecord(d)) {
        return -1;
    }
    if (write) {
        d.mirror.wide[address] = value;
    }
    return d.transport->send(wire::sensorTransfer(sourceOf(d), entries));
}

int wideAddressAccess(Device& d, uint16_t address, uint16_t value, bool write) {
    const uint16_t sent =
        write ? static_cast<uint16_t>(address | 0x8000) : static_cast<uint16_t>(address & 0xEFFF);
    const wire::SensorEntry e{static_cast<uint8_t>(sent >> 8), static_cast<uint8_t>(sent),
                              static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
    if (!hasRecord(d)) {
        return -1;
    }
    if (write) {
        d.mirror.wide[address] = value;
    }
    return d.transport->send(wire::sensorTransfer(sourceOf(d), std::span(&e, 1)));
}

std::optional<wire::Frame> awaitReply(Device& d, wire::FrameKind kind, size_t minSize,
                                      SteadyClock::time_point sentAt, int limitMs) {
    if (!d.transport) {
        return std::nullopt;
    }
    const auto deadline = sentAt + std::chrono::milliseconds(limitMs);
    for (;;) {
        const auto now = SteadyClock::now();
        if (now >= deadline) {
            return std::nullopt;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        std::span<const uint8_t> frame;
        const auto r = d.transport->receive(static_cast<int>(left), frame);
        if (r == Transport::Received::Error) {
            // A failing adapter: wait out the limit without spinning.
            sleepMs(static_cast<int>(std::min<int64_t>(left, 10)));
            continue;
        }
        if (r == Transport::Received::Frame && wire::classifyFrame(frame) == kind &&
            frame.size() >= minSize) {
            return wire::Frame(frame.begin(), frame.end());
        }
    }
}

std::optional<uint16_t> readChipIdentifier(Device& d) {
    int sent;
    const bool byteWide = isK4C(d.model);
    const auto sentAt = startRequest(d);
    if (byteWide) {
        sent = byteWideAccess(d, 0x0000, 0, false);
    } else {
        sent = sensorAccess(d, 0x00, 0, false);
    }
    std::optional<wire::Frame> reply;
    if (sent == 0) {
        reply = awaitReply(d, wire::FrameKind::SensorReply, byteWide ? 26 : 22, sentAt,
                           kReplyLimitMs);
    }
    if (!reply) {
        d.open = 0;
        return std::nullopt;
    }
    return byteWide ? wire::byteWideReplyValue(*reply) : wire::sensorReplyValue(*reply, 0);
}

bool refreshRegisterMirror(Device& d) {
    const auto sentAt = startRequest(d);
    if (sendSensorEntries(d, kMirrorRefreshOrder, {}, false) != 0) {
        return false;
    }
    // Without a limit a camera that never answers would hang its caller.
    const auto reply = awaitReply(d, wire::FrameKind::SensorReply,
                                  wire::kHeaderSize + 4 * kMirrorRefreshOrder.size(), sentAt,
                                  kReplyLimitMs);
    if (!reply) {
        return false;
    }
    for (size_t k = 0; k < kMirrorRefreshOrder.size(); ++k) {
        d.mirror.reg[kMirrorRefreshOrder[k]] = *wire::sensorReplyValue(*reply, k);
    }
    return true;
}

std::optional<std::vector<uint32_t>> readController(Device& d, uint16_t address, uint8_t count,
                                                    int delayMs) {
    const auto sentAt = startRequest(d);
    if (sendFrame(d, wire::controllerRead(sourceOf(d), address, count)) != 0) {
        return std::nullopt;
    }
    if (delayMs > 0) {
        sleepMs(delayMs);
    }
    const auto reply = awaitReply(d, wire::FrameKind::ControllerReply,
                                  wire::kHeaderSize + 4u * count, sentAt, kReplyLimitMs);
    if (!reply) {
        return std::nullopt;
    }
    std::vector<uint32_t> words;
    for (size_t k = 0; k < count; ++k) {
        words.push_back(*wire::controllerReplyWord(*reply, k));
    }
    return words;
}

std::optional<std::string> readIdentity(Device& d) {
    const auto sentAt = startRequest(d);
    if (sendFrame(d, wire::controllerRead(sourceOf(d), wire::kIdentityRegister,
                                          wire::kIdentityWords)) != 0) {
        return std::nullopt;
    }
    sleepMs(50);
    const auto reply =
        awaitReply(d, wire::FrameKind::ControllerReply, wire::kHeaderSize, sentAt, kReplyLimitMs);
    if (!reply) {
        return std::nullopt;
    }
    return wire::controllerReplyText(*reply, 49);
}

int writeController(Device& d, uint16_t address, std::span<const uint32_t> values) {
    if (!hasRecord(d)) {
        return -1;
    }
    return d.transport->send(wire::controllerWrite(sourceOf(d), address, values));
}

int sendCommand(Device& d, uint8_t code) {
    if (!hasRecord(d)) {
        return -1;
    }
    // The software trigger goes out with an all-zero source address.
    const wire::MacAddress& source = code == wire::kSoftwareTrigger ? kNoAddress : sourceOf(d);
    return d.transport->send(wire::commandFrame(source, code));
}

int sendCommandValue(Device& d, uint8_t code, uint32_t value) {
    if (!hasRecord(d)) {
        return -1;
    }
    return d.transport->send(wire::commandWithValue(sourceOf(d), code, value));
}

}  // namespace ostrel
