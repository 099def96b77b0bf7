// The seven classification rules, driven by synthetic packet sequences.
#include "camera/frame_assembly.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "camera/wire_format.h"

namespace ostrel {
namespace {

// A packet of the sequence: its tag, its number, and how many payload bytes
// it really carries (-1: what its number says).
struct Pkt {
    uint8_t tag;
    uint16_t number;
    int bytes = -1;
};

struct Sequence {
    const char* name;
    std::vector<Pkt> packets;
    uint32_t lost;
    uint32_t framesWithLoss;
    std::vector<PacketAction> actions;
};

void PrintTo(const Sequence& s, std::ostream* os) { *os << s.name; }

// Payload 4, image 4 x 5 = 20 bytes: 5 packets, the last one full.
constexpr uint32_t kWidth = 4;
constexpr uint32_t kHeight = 5;
constexpr uint32_t kPayload = 4;

wire::Frame packet(const Pkt& p, const StreamGeometry& g) {
    const int bytes = p.bytes >= 0 ? p.bytes : static_cast<int>(std::max<uint32_t>(g.bytesOfPacket(p.number), 1));
    std::vector<uint8_t> payload(static_cast<size_t>(bytes), static_cast<uint8_t>(p.number));
    wire::Frame f;
    wire::dataPacket(f, {}, p.tag, p.number, payload);
    return f;
}

class FrameAssemblyTest : public ::testing::TestWithParam<Sequence> {};

TEST_P(FrameAssemblyTest, CountsAndActions) {
    const Sequence& s = GetParam();
    const StreamGeometry g = streamGeometry(kWidth, kHeight, kPayload);
    ASSERT_EQ(g.packetsPerFrame, 5u);
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    uint32_t lost = 0;
    uint32_t framesWithLoss = 0;
    std::vector<PacketAction> actions;
    for (const Pkt& p : s.packets) {
        const PacketOutcome out = assembleDataPacket(state, g, packet(p, g), image.data());
        lost += out.packetsLost;
        framesWithLoss += out.newFrameWithLoss ? 1 : 0;
        actions.push_back(out.action);
    }
    EXPECT_EQ(lost, s.lost);
    EXPECT_EQ(framesWithLoss, s.framesWithLoss);
    EXPECT_EQ(actions, s.actions);
}

using A = PacketAction;

INSTANTIATE_TEST_SUITE_P(
    Sequences, FrameAssemblyTest,
    ::testing::Values(
        Sequence{"complete", {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}}, 0, 0,
                 {A::Placed, A::Placed, A::Placed, A::Placed, A::PlacedLast}},
        // Packets 1, 2, 5 of a frame of 5: the gap before the last packet
        // counts too, and the frame once however many gaps it has.
        Sequence{"gapBeforeLast", {{1, 1}, {1, 2}, {1, 5}}, 2, 1,
                 {A::Placed, A::Placed, A::PlacedLast}},
        Sequence{"gapThenLast", {{1, 1}, {1, 3}, {1, 5}}, 2, 1,
                 {A::Placed, A::Placed, A::PlacedLast}},
        // The last packet of image 1 never comes: image 2's first packet
        // shows it, and image 2 completes as usual.
        Sequence{"lastPacketLost",
                 {{1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 1}, {2, 2}, {2, 3}, {2, 4}, {2, 5}},
                 1, 1,
                 {A::Placed, A::Placed, A::Placed, A::Placed, A::Placed, A::Placed, A::Placed,
                  A::Placed, A::PlacedLast}},
        Sequence{"tailLostAfterAGap", {{1, 1}, {1, 3}, {2, 1}}, 3, 1,
                 {A::Placed, A::Placed, A::Placed}},
        Sequence{"lossInTwoImages", {{1, 1}, {1, 3}, {1, 4}, {1, 5}, {2, 1}, {2, 2}, {2, 4}, {2, 5}},
                 2, 2,
                 {A::Placed, A::Placed, A::Placed, A::PlacedLast, A::Placed, A::Placed, A::Placed,
                  A::PlacedLast}},
        Sequence{"aboveCountAndZeroIgnored", {{1, 6}, {1, 0}, {1, 65535}}, 0, 0,
                 {A::Ignored, A::Ignored, A::Ignored}},
        // Late packet: 3 before 2 counts one lost, then 2 is put in place.
        Sequence{"late", {{1, 1}, {1, 3}, {1, 2}, {1, 4}, {1, 5}}, 1, 1,
                 {A::Placed, A::Placed, A::Placed, A::Placed, A::PlacedLast}},
        Sequence{"repeated", {{1, 1}, {1, 2}, {1, 2}, {1, 3}}, 0, 0,
                 {A::Placed, A::Placed, A::Placed, A::Placed}},
        // A packet of another image (its first packet lost): not put in place,
        // nothing counted, and the rest of that image is foreign too.
        Sequence{"foreignTag", {{1, 1}, {1, 2}, {2, 2}, {2, 3}, {2, 4}}, 0, 0,
                 {A::Placed, A::Placed, A::ForeignTag, A::ForeignTag, A::ForeignTag}},
        Sequence{"beforeAnyFirstPacket", {{9, 3}}, 0, 0, {A::ForeignTag}},
        // Frames shorter than their number says are dropped and change nothing.
        Sequence{"short", {{1, 1}, {1, 2, 3}, {1, 2}, {1, 5, 0}, {1, 3}}, 0, 0,
                 {A::Placed, A::Short, A::Placed, A::Short, A::Placed}}),
    [](const ::testing::TestParamInfo<Sequence>& i) { return std::string(i.param.name); });

TEST(FrameAssembly, PacketsOneTwoFiveCountTwoLostAndOneFrameHoweverManyGaps) {
    const StreamGeometry g = streamGeometry(8, 4, 4);  // 8 packets
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    uint32_t lost = 0;
    uint32_t frames = 0;
    auto feed = [&](uint16_t n) {
        const PacketOutcome out = assembleDataPacket(state, g, packet({3, n}, g), image.data());
        lost += out.packetsLost;
        frames += out.newFrameWithLoss ? 1 : 0;
    };
    for (uint16_t n : {1, 2, 5}) {
        feed(n);
    }
    EXPECT_EQ(lost, 2u);
    EXPECT_EQ(frames, 1u);
    feed(7);  // a second gap in the same frame
    EXPECT_EQ(lost, 3u);
    EXPECT_EQ(frames, 1u);
}

TEST(FrameAssembly, AnAbandonedImageCountsItsMissingTailOnce) {
    const StreamGeometry g = streamGeometry(kWidth, kHeight, kPayload);  // 5 packets
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    // Nothing under way (a stream status frame with no image after it).
    PacketOutcome out = abandonImage(state, g);
    EXPECT_EQ(out.packetsLost, 0u);
    EXPECT_FALSE(out.newFrameWithLoss);
    for (uint16_t n : {1, 2}) {
        assembleDataPacket(state, g, packet({7, n}, g), image.data());
    }
    out = abandonImage(state, g);
    EXPECT_EQ(out.packetsLost, 3u);
    EXPECT_TRUE(out.newFrameWithLoss);
    EXPECT_EQ(abandonImage(state, g).packetsLost, 0u);
    // The next image starts afresh and counts nothing more for the old one.
    uint32_t lost = 0;
    for (uint16_t n : {1, 2, 3, 4, 5}) {
        lost += assembleDataPacket(state, g, packet({8, n}, g), image.data()).packetsLost;
    }
    EXPECT_EQ(lost, 0u);
}

TEST(FrameAssembly, PayloadLandsAtItsOffsetAndTheLastPacketCopiesOnlyItsSize) {
    const StreamGeometry g = streamGeometry(5, 2, 4);  // 10 bytes: 4 + 4 + 2
    ASSERT_EQ(g.lastPacketSize, 2u);
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes + 4, 0xEE);  // guard bytes after the image
    for (uint16_t n : {1, 2, 3}) {
        // The last frame carries more than the image needs: only 2 bytes are taken.
        std::vector<uint8_t> payload(4, static_cast<uint8_t>(n));
        wire::Frame f;
        wire::dataPacket(f, {}, 1, n, payload);
        assembleDataPacket(state, g, f, image.data());
    }
    const std::vector<uint8_t> expected = {1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(image, expected);
}

TEST(FrameAssembly, LostPacketLeavesThePreviousImagesBytes) {
    const StreamGeometry g = streamGeometry(4, 3, 4);  // 3 packets
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    for (uint16_t n : {1, 2, 3}) {
        assembleDataPacket(state, g, packet({1, n}, g), image.data());
    }
    wire::Frame f;
    const std::vector<uint8_t> nine(4, 9);
    for (uint16_t n : {1, 3}) {
        wire::dataPacket(f, {}, 2, n, nine);
        assembleDataPacket(state, g, f, image.data());
    }
    EXPECT_EQ(image, (std::vector<uint8_t>{9, 9, 9, 9, 2, 2, 2, 2, 9, 9, 9, 9}));
}

TEST(FrameAssembly, SinglePacketImageCompletesOnItsFirstPacket) {
    const StreamGeometry g = streamGeometry(2, 2, 1024);
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    EXPECT_EQ(assembleDataPacket(state, g, packet({1, 1}, g), image.data()).action,
              PacketAction::PlacedLast);
}

TEST(FrameAssembly, NotDataAndEmptyGeometry) {
    const StreamGeometry g = streamGeometry(4, 5, 4);
    AssemblyState state;
    std::vector<uint8_t> image(g.imageBytes, 0);
    EXPECT_EQ(assembleDataPacket(state, g, wire::streamStatus({}, 2), image.data()).action,
              PacketAction::NotData);
    EXPECT_EQ(assembleDataPacket(state, g, {}, image.data()).action, PacketAction::NotData);
    const StreamGeometry none{};
    EXPECT_EQ(assembleDataPacket(state, none, packet({1, 1}, g), nullptr).action,
              PacketAction::Ignored);
}

}  // namespace
}  // namespace ostrel
