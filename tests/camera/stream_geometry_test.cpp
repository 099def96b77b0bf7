// How images are cut into packets.
#include "camera/stream_geometry.h"

#include <gtest/gtest.h>

#include <ostream>

namespace ostrel {
namespace {

struct GeometryCase {
    uint32_t width, height, payload;
    uint32_t packets, lastPacket;
};

void PrintTo(const GeometryCase& c, std::ostream* os) {
    *os << c.width << "x" << c.height << "/" << c.payload;
}

class StreamGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(StreamGeometryTest, PacketsAndLastPacketSize) {
    const auto& c = GetParam();
    const StreamGeometry g = streamGeometry(c.width, c.height, c.payload);
    EXPECT_EQ(g.packetsPerFrame, c.packets);
    EXPECT_EQ(g.lastPacketSize, c.lastPacket);
    if (g.packetsPerFrame > 0) {
        EXPECT_EQ(uint64_t{g.packetsPerFrame - 1} * g.payload + g.lastPacketSize,
                  uint64_t{c.width} * c.height);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, StreamGeometryTest,
    ::testing::Values(GeometryCase{1280, 1024, 1024, 1280, 1024},  // whole: last packet full
                      GeometryCase{2592, 1944, 1024, 4921, 768},   // 4920.75
                      GeometryCase{752, 480, 1024, 353, 512},
                      GeometryCase{3664, 2748, 1024, 9833, 704},
                      GeometryCase{1, 1, 1024, 1, 1},
                      GeometryCase{10, 10, 7, 15, 2},
                      GeometryCase{0, 480, 1024, 0, 0},
                      GeometryCase{752, 480, 0, 0, 0},
                      // more than 65535 packets cannot be numbered
                      GeometryCase{4096, 4096, 64, 0, 0}));

TEST(StreamGeometry, BytesOfPacketOutsideTheImageAreZero) {
    const StreamGeometry g = streamGeometry(2592, 1944, 1024);
    EXPECT_EQ(g.bytesOfPacket(0), 0u);
    EXPECT_EQ(g.bytesOfPacket(1), 1024u);
    EXPECT_EQ(g.bytesOfPacket(4921), 768u);
    EXPECT_EQ(g.bytesOfPacket(4922), 0u);
}

}  // namespace
}  // namespace ostrel
