// Packets per image and the size of the last one.
#include "camera/stream_geometry.h"

namespace ostrel {

StreamGeometry streamGeometry(uint32_t width, uint32_t height, uint32_t payload) {
    StreamGeometry g;
    g.payload = payload;
    g.imageBytes = static_cast<size_t>(width) * height;
    if (payload == 0 || g.imageBytes == 0) {
        return g;
    }
    const size_t whole = g.imageBytes / payload;
    const size_t rest = g.imageBytes % payload;
    // Packet numbers travel in 16 bits; larger images cannot be sent at all.
    const size_t packets = rest != 0 ? whole + 1 : whole;
    if (packets > 0xFFFF) {
        return StreamGeometry{payload, 0, 0, g.imageBytes};
    }
    g.packetsPerFrame = static_cast<uint32_t>(packets);
    g.lastPacketSize = rest != 0 ? static_cast<uint32_t>(rest) : payload;
    return g;
}

}  // namespace ostrel
