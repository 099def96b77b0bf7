// How an image of the stream is cut into data packets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel {

struct StreamGeometry {
    uint32_t payload = 0;          // bytes of image per full packet
    uint32_t packetsPerFrame = 0;  // packets of one image, numbered from 1
    uint32_t lastPacketSize = 0;   // image bytes carried by the last packet
    size_t imageBytes = 0;         // raw bytes of one image (width x height)

    // Image bytes that packet `number` carries (0 for a number outside 1..packetsPerFrame).
    uint32_t bytesOfPacket(uint32_t number) const {
        if (number == 0 || number > packetsPerFrame) {
            return 0;
        }
        return number == packetsPerFrame ? lastPacketSize : payload;
    }
};

// Packets per frame = width x height / payload, rounded up; the last packet
// carries what is left (a full payload when the division is exact). Computed
// in integers: the same result as the single-precision division wherever that
// is exact, and right for every size. A zero payload gives an empty geometry.
StreamGeometry streamGeometry(uint32_t width, uint32_t height, uint32_t payload);

}  // namespace ostrel
