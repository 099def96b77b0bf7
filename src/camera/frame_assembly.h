// Classification of image data packets and putting them in place.
//
// No socket and no thread here: the receive thread hands each data packet to
// assembleDataPacket with the device's assembly state, and tests do the same
// with synthetic packet sequences. Lost packets are counted, never asked for
// again; their bytes keep what the previous image left there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "camera/stream_geometry.h"

namespace ostrel {

// Per-device reassembly state (belongs to the receive thread).
struct AssemblyState {
    uint16_t expected = 1;        // next packet number expected
    uint16_t currentTag = 0;      // 0x6A00 | tag of the image being assembled
    uint16_t afterLate = 0;       // number after the newest late or repeated packet
    uint16_t lossCountedTag = 0;  // tag of the image for which a loss was last counted
    bool hasTag = false;
    // An image has begun and its last packet has not come yet; the highest
    // packet number put in place for it tells how much of its tail is missing.
    bool inImage = false;
    uint16_t highestPlaced = 0;
};

enum class PacketAction : uint8_t {
    NotData,     // not an image data packet
    Short,       // shorter than the bytes its number says it carries: dropped untouched
    Ignored,     // number 0 or above the packets per frame
    ForeignTag,  // belongs to another image than the current one: not put in place
    Placed,      // put in place
    PlacedLast,  // the last packet of the image, put in place: the image is complete
};

struct PacketOutcome {
    PacketAction action = PacketAction::NotData;
    uint16_t number = 0;
    uint32_t packetsLost = 0;       // to add to the device's count
    bool newFrameWithLoss = false;  // add 1 to the frames with losses
};

// Classifies one received frame by the seven rules and copies its payload to
// `assembly` (which holds geometry.imageBytes bytes) at (number - 1) x payload.
// Packets that never came are counted wherever the stream shows them missing:
// a gap before the next packet of the image, a gap before its last packet,
// and the tail of an image that a new image's first packet cuts off.
PacketOutcome assembleDataPacket(AssemblyState& state, const StreamGeometry& geometry,
                                 std::span<const uint8_t> frame, uint8_t* assembly);

// Gives up the image being assembled (the camera went quiet before its last
// packet): its missing tail is counted as lost and the next image starts
// afresh. Nothing is counted when no image is under way.
PacketOutcome abandonImage(AssemblyState& state, const StreamGeometry& geometry);

}  // namespace ostrel
