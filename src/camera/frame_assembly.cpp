// The seven classification rules of an image data packet.
#include "camera/frame_assembly.h"

#include <algorithm>
#include <cstring>

#include "camera/wire_format.h"

namespace ostrel {

namespace {

void putInPlace(const StreamGeometry& g, uint16_t number, const uint8_t* payload,
                uint8_t* assembly) {
    const size_t offset = static_cast<size_t>(number - 1) * g.payload;
    std::memcpy(assembly + offset, payload, g.bytesOfPacket(number));
}

// Counts `lost` packets of the image with `tag`; an image counts once among
// the frames with losses however many gaps it has.
void countLoss(AssemblyState& s, uint16_t tag, uint32_t lost, PacketOutcome& out) {
    if (lost == 0) {
        return;
    }
    out.packetsLost += lost;
    if (tag != s.lossCountedTag) {
        s.lossCountedTag = tag;
        out.newFrameWithLoss = true;
    }
}

// The packets after the highest one put in place never came.
void countMissingTail(AssemblyState& s, const StreamGeometry& g, PacketOutcome& out) {
    if (s.inImage && s.highestPlaced < g.packetsPerFrame) {
        countLoss(s, s.currentTag, g.packetsPerFrame - s.highestPlaced, out);
    }
    s.inImage = false;
}

void notePlaced(AssemblyState& s, uint16_t n) {
    s.highestPlaced = std::max(s.highestPlaced, n);
}

}  // namespace

PacketOutcome abandonImage(AssemblyState& s, const StreamGeometry& g) {
    PacketOutcome out;
    countMissingTail(s, g, out);
    s.expected = 1;
    return out;
}

PacketOutcome assembleDataPacket(AssemblyState& s, const StreamGeometry& g,
                                 std::span<const uint8_t> frame, uint8_t* assembly) {
    PacketOutcome out;
    const auto header = wire::dataPacketHeader(frame);
    if (!header) {
        return out;
    }
    const uint16_t n = header->number;
    const uint16_t tag = static_cast<uint16_t>(0x6A00 | header->tag);
    const uint32_t packets = g.packetsPerFrame;
    out.number = n;

    // Rule 1, and a number 0, which no image has.
    if (n == 0 || n > packets) {
        out.action = PacketAction::Ignored;
        return out;
    }
    // A frame that does not hold the bytes its number says is dropped before
    // it can change any state.
    if (frame.size() - wire::kHeaderSize < g.bytesOfPacket(n)) {
        out.action = PacketAction::Short;
        return out;
    }
    const uint8_t* payload = frame.data() + wire::kHeaderSize;
    const bool last = n == packets;

    if (n == 1) {  // rule 2: a new image begins; the one before it is over
        countMissingTail(s, g, out);
        s.currentTag = tag;
        s.hasTag = true;
        s.expected = 2;
        s.inImage = !last;
        s.highestPlaced = 1;
        putInPlace(g, n, payload, assembly);
        out.action = last ? PacketAction::PlacedLast : PacketAction::Placed;
        return out;
    }
    if (last) {  // rule 3
        if (s.inImage && s.hasTag && tag == s.currentTag && n > s.highestPlaced + 1) {
            countLoss(s, tag, static_cast<uint32_t>(n - 1 - s.highestPlaced), out);
        }
        s.inImage = false;
        s.expected = static_cast<uint16_t>(n + 1);
        putInPlace(g, n, payload, assembly);
        out.action = PacketAction::PlacedLast;
        return out;
    }
    if (!s.hasTag || tag != s.currentTag) {  // rule 4
        s.expected = 1;
        out.action = PacketAction::ForeignTag;
        return out;
    }
    if (n == s.expected) {  // rule 5
        s.expected = static_cast<uint16_t>(s.expected + 1);
    } else if (n > s.expected) {  // rule 6: packets lost
        countLoss(s, tag, static_cast<uint32_t>(n - s.expected), out);
        s.expected = static_cast<uint16_t>(n + 1);
    } else {  // rule 7: late or repeated
        s.afterLate = static_cast<uint16_t>(n + 1);
    }
    notePlaced(s, n);
    putInPlace(g, n, payload, assembly);
    out.action = PacketAction::Placed;
    return out;
}

}  // namespace ostrel
