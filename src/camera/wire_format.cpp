// Building and reading the camera's frames.
#include "camera/wire_format.h"

#include <algorithm>
#include <cstring>

namespace ostrel::wire {

namespace {

Frame header(const MacAddress& destination, const MacAddress& source, size_t totalSize) {
    Frame f(destination.begin(), destination.end());
    f.insert(f.end(), source.begin(), source.end());
    // The length field counts the bytes after it.
    const auto length = static_cast<uint16_t>(totalSize - 14);
    f.push_back(static_cast<uint8_t>(length >> 8));
    f.push_back(static_cast<uint8_t>(length));
    f.resize(totalSize, 0);
    return f;
}

bool hasCommandSignature(std::span<const uint8_t> frame) {
    return frame.size() >= kHeaderSize && frame[14] == kSignature && frame[15] == kSignature &&
           frame[16] == kSignature;
}

// A controller frame with its register address and 32-bit words: a write
// from the driver or a reply from the camera.
Frame controllerWords(const MacAddress& destination, const MacAddress& source, uint8_t code,
                      uint16_t address, std::span<const uint32_t> words) {
    Frame f = header(destination, source, kHeaderSize + 4 * words.size());
    f[14] = kSignature;
    f[15] = code;
    writeBe16(f.data() + 16, address);
    uint8_t* p = f.data() + kHeaderSize;
    for (uint32_t w : words) {
        writeBe32(p, w);
        p += 4;
    }
    return f;
}

}  // namespace

Frame commandFrame(const MacAddress& source, uint8_t code, std::span<const uint8_t> argument) {
    Frame f = header(kCameraAddress, source, kHeaderSize + argument.size());
    f[14] = f[15] = f[16] = kSignature;
    f[17] = code;
    std::copy(argument.begin(), argument.end(), f.begin() + kHeaderSize);
    return f;
}

Frame commandWithValue(const MacAddress& source, uint8_t code, uint32_t value) {
    uint8_t argument[4];
    writeBe32(argument, value);
    return commandFrame(source, code, argument);
}

Frame sensorTransfer(const MacAddress& source, std::span<const SensorEntry> entries) {
    Frame f = header(kCameraAddress, source, kHeaderSize + 4 * entries.size());
    f[14] = f[15] = f[16] = kSignature;
    f[17] = kSensorTransfer;
    uint8_t* p = f.data() + kHeaderSize;
    for (const SensorEntry& e : entries) {
        p[0] = e.b0;
        p[1] = e.b1;
        p[2] = e.b2;
        p[3] = e.b3;
        p += 4;
    }
    return f;
}

Frame controllerRead(const MacAddress& source, uint16_t address, uint8_t count) {
    Frame f = header(kCameraAddress, source, kHeaderSize + 4);
    f[14] = kSignature;
    f[15] = kControllerRead;
    writeBe16(f.data() + 16, address);
    f[21] = count;
    return f;
}

Frame controllerWrite(const MacAddress& source, uint16_t address,
                      std::span<const uint32_t> values) {
    return controllerWords(kCameraAddress, source, kControllerWrite, address, values);
}

FrameKind classifyFrame(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize) {
        return FrameKind::Unknown;
    }
    if (frame[14] == kDataSignature) {
        return FrameKind::ImageData;
    }
    if (frame[14] != kSignature) {
        return FrameKind::Unknown;
    }
    if (frame[15] == kSignature && frame[16] == kSignature && frame[17] == kSignature) {
        return FrameKind::SensorReply;
    }
    if (frame[15] == kControllerReply) {
        return FrameKind::ControllerReply;
    }
    if (frame[15] == kStreamStatus) {
        return FrameKind::StreamStatus;
    }
    return FrameKind::Unknown;
}

std::optional<uint16_t> sensorReplyValue(std::span<const uint8_t> frame, size_t entry) {
    const size_t at = 20 + 4 * entry;
    if (frame.size() < at + 2) {
        return std::nullopt;
    }
    return readBe16(frame.data() + at);
}

std::optional<uint16_t> byteWideReplyValue(std::span<const uint8_t> frame) {
    if (frame.size() < 26) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(frame[21] << 8 | frame[25]);
}

std::optional<uint32_t> controllerReplyWord(std::span<const uint8_t> frame, size_t word) {
    const size_t at = kHeaderSize + 4 * word;
    if (frame.size() < at + 4) {
        return std::nullopt;
    }
    return readBe32(frame.data() + at);
}

std::string controllerReplyText(std::span<const uint8_t> frame, size_t maxLength) {
    std::string text;
    for (size_t i = kHeaderSize; i < frame.size() && text.size() < maxLength; ++i) {
        if (frame[i] == 0) {
            break;
        }
        text.push_back(static_cast<char>(frame[i]));
    }
    return text;
}

std::optional<uint16_t> streamStatusCode(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize) {
        return std::nullopt;
    }
    return readBe16(frame.data() + 16);
}

std::optional<DataPacketHeader> dataPacketHeader(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize || frame[14] != kDataSignature) {
        return std::nullopt;
    }
    return DataPacketHeader{frame[15], readBe16(frame.data() + 16)};
}

RequestKind classifyRequest(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize || frame[14] != kSignature) {
        return RequestKind::Unknown;
    }
    if (hasCommandSignature(frame)) {
        return frame[17] == kSensorTransfer ? RequestKind::SensorTransfer : RequestKind::Command;
    }
    if (frame[15] == kControllerRead) {
        return RequestKind::ControllerRead;
    }
    if (frame[15] == kControllerWrite) {
        return RequestKind::ControllerWrite;
    }
    return RequestKind::Unknown;
}

uint8_t commandCode(std::span<const uint8_t> frame) {
    return frame.size() >= kHeaderSize ? frame[17] : 0;
}

uint16_t controllerAddress(std::span<const uint8_t> frame) {
    return frame.size() >= kHeaderSize ? readBe16(frame.data() + 16) : 0;
}

std::vector<SensorEntry> sensorEntries(std::span<const uint8_t> frame) {
    std::vector<SensorEntry> entries;
    for (size_t at = kHeaderSize; at + 4 <= frame.size(); at += 4) {
        entries.push_back({frame[at], frame[at + 1], frame[at + 2], frame[at + 3]});
    }
    return entries;
}

std::optional<uint32_t> commandArgument(std::span<const uint8_t> frame) {
    if (frame.size() < kHeaderSize + 4) {
        return std::nullopt;
    }
    return readBe32(frame.data() + kHeaderSize);
}

Frame sensorReply(const MacAddress& destination, std::span<const SensorEntry> entries) {
    Frame f = header(destination, kCameraAddress, kHeaderSize + 4 * entries.size());
    f[14] = f[15] = f[16] = f[17] = kSignature;
    uint8_t* p = f.data() + kHeaderSize;
    for (const SensorEntry& e : entries) {
        p[0] = e.b0;
        p[1] = e.b1;
        p[2] = e.b2;
        p[3] = e.b3;
        p += 4;
    }
    return f;
}

Frame controllerReply(const MacAddress& destination, uint16_t address,
                      std::span<const uint32_t> words) {
    return controllerWords(destination, kCameraAddress, kControllerReply, address, words);
}

Frame streamStatus(const MacAddress& destination, uint16_t code) {
    Frame f = header(destination, kCameraAddress, kHeaderSize);
    f[14] = kSignature;
    f[15] = kStreamStatus;
    writeBe16(f.data() + 16, code);
    return f;
}

void dataPacket(Frame& out, const MacAddress& destination, uint8_t tag, uint16_t number,
                std::span<const uint8_t> payload) {
    out.resize(kHeaderSize + payload.size());
    std::memcpy(out.data(), destination.data(), 6);
    std::memcpy(out.data() + 6, kCameraAddress.data(), 6);
    // The field must read as a length (below 0x0600), never as a frame type,
    // so large payloads are capped.
    writeBe16(out.data() + 12, static_cast<uint16_t>(std::min<size_t>(payload.size() + 4, 0x05FF)));
    out[14] = kDataSignature;
    out[15] = tag;
    writeBe16(out.data() + 16, number);
    if (!payload.empty()) {
        std::memcpy(out.data() + kHeaderSize, payload.data(), payload.size());
    }
}

}  // namespace ostrel::wire
