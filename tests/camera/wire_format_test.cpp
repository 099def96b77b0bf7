// Frames built and read by the shared wire format functions.
#include "camera/wire_format.h"

#include <gtest/gtest.h>

namespace ostrel::wire {
namespace {

const MacAddress kHost = {0x02, 0x11, 0x22, 0x33, 0x44, 0x55};

TEST(WireFormat, CommandFramesCarryAddressesLengthAndSignature) {
    const Frame f = commandWithValue(kHost, kTriggerPeriod, 0x01020304);
    ASSERT_EQ(f.size(), 22u);
    EXPECT_TRUE(std::equal(kCameraAddress.begin(), kCameraAddress.end(), f.begin()));
    EXPECT_TRUE(std::equal(kHost.begin(), kHost.end(), f.begin() + 6));
    EXPECT_EQ(readBe16(&f[12]), 8);  // bytes after the length field
    EXPECT_EQ(f[14], 0x5A);
    EXPECT_EQ(f[15], 0x5A);
    EXPECT_EQ(f[16], 0x5A);
    EXPECT_EQ(f[17], kTriggerPeriod);
    EXPECT_EQ(readBe32(&f[18]), 0x01020304u);

    const Frame bare = commandFrame(kHost, kCaptureArm);
    EXPECT_EQ(bare.size(), 18u);
    EXPECT_EQ(readBe16(&bare[12]), 4);
}

TEST(WireFormat, SensorTransferHoldsOneEntryPerFourBytes) {
    const SensorEntry entries[2] = {{0xBA, 0x35, 0x00, 0x68}, {0xBA, 0x2B, 0x38, 0x60}};
    const Frame f = sensorTransfer(kHost, entries);
    ASSERT_EQ(f.size(), 26u);
    EXPECT_EQ(readBe16(&f[12]), 12);
    EXPECT_EQ(f[17], kSensorTransfer);
    EXPECT_EQ(f[22], 0xBA);
    EXPECT_EQ(f[23], 0x2B);
    EXPECT_EQ(classifyRequest(f), RequestKind::SensorTransfer);
    const auto back = sensorEntries(f);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[1].b2, 0x38);
}

TEST(WireFormat, ControllerFramesUseTheTwoByteSignature) {
    const Frame read = controllerRead(kHost, kIdentityRegister, 8);
    ASSERT_EQ(read.size(), 22u);
    EXPECT_EQ(read[14], 0x5A);
    EXPECT_EQ(read[15], 'X');
    EXPECT_EQ(readBe16(&read[16]), kIdentityRegister);
    EXPECT_EQ(read[21], 8);
    EXPECT_EQ(classifyRequest(read), RequestKind::ControllerRead);

    const uint32_t values[2] = {0x00000051, 0xAABBCCDD};
    const Frame write = controllerWrite(kHost, kCaptureControlRegister, values);
    ASSERT_EQ(write.size(), 26u);
    EXPECT_EQ(write[15], 'V');
    EXPECT_EQ(readBe32(&write[22]), 0xAABBCCDDu);
    EXPECT_EQ(classifyRequest(write), RequestKind::ControllerWrite);
}

TEST(WireFormat, RepliesAreRecognisedBySignatureOnly) {
    const SensorEntry e[1] = {{0xBB, 0x00, 0x18, 0x01}};
    const Frame sensor = sensorReply(kHost, e);
    EXPECT_EQ(classifyFrame(sensor), FrameKind::SensorReply);
    EXPECT_EQ(sensorReplyValue(sensor, 0), 0x1801);

    const uint32_t words[1] = {0x0002010B};
    const Frame controller = controllerReply(kHost, kFirmwareVersionRegister, words);
    EXPECT_EQ(classifyFrame(controller), FrameKind::ControllerReply);
    EXPECT_EQ(controllerReplyWord(controller, 0), 0x0002010Bu);

    EXPECT_EQ(classifyFrame(streamStatus(kHost, 2)), FrameKind::StreamStatus);
    EXPECT_EQ(streamStatusCode(streamStatus(kHost, 2)), 2);

    Frame data;
    const uint8_t payload[4] = {1, 2, 3, 4};
    dataPacket(data, kHost, 0x17, 300, payload);
    EXPECT_EQ(classifyFrame(data), FrameKind::ImageData);
    const auto h = dataPacketHeader(data);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->tag, 0x17);
    EXPECT_EQ(h->number, 300);

    // Our own sensor request is not a reply: byte 17 holds the command code.
    const Frame request = sensorTransfer(kHost, e);
    EXPECT_EQ(classifyFrame(request), FrameKind::Unknown);
}

TEST(WireFormat, ReadersNeverReadPastTheFrame) {
    const Frame tiny(17, 0x5A);
    EXPECT_EQ(classifyFrame(tiny), FrameKind::Unknown);
    EXPECT_EQ(classifyRequest(tiny), RequestKind::Unknown);
    EXPECT_FALSE(dataPacketHeader(tiny));
    EXPECT_FALSE(streamStatusCode(tiny));

    const SensorEntry e[1] = {{0xBB, 0x00, 0x18, 0x01}};
    Frame sensor = sensorReply(kHost, e);
    sensor.resize(21);
    EXPECT_FALSE(sensorReplyValue(sensor, 0));
    EXPECT_FALSE(sensorReplyValue(sensor, 22));
    EXPECT_FALSE(byteWideReplyValue(sensor));

    const uint32_t words[1] = {7};
    Frame controller = controllerReply(kHost, 0x000E, words);
    controller.resize(20);
    EXPECT_FALSE(controllerReplyWord(controller, 0));
    EXPECT_FALSE(commandArgument(controller));
}

TEST(WireFormat, IdentityTextEndsAtItsNulOrTheFrame) {
    const uint32_t text[2] = {0x4B364300, 0x41424344};  // "K6C\0ABCD"
    EXPECT_EQ(controllerReplyText(controllerReply(kHost, kIdentityRegister, text), 49), "K6C");
    const uint32_t unterminated[2] = {0x41414141, 0x41414141};
    EXPECT_EQ(controllerReplyText(controllerReply(kHost, kIdentityRegister, unterminated), 49),
              "AAAAAAAA");
    EXPECT_EQ(controllerReplyText(controllerReply(kHost, kIdentityRegister, unterminated), 3),
              "AAA");
}

TEST(WireFormat, ByteWideReplyJoinsBytes21And25) {
    const SensorEntry e[2] = {{0x21, 0x00, 0x00, 0x2C}, {0x21, 0x00, 0x01, 0x01}};
    EXPECT_EQ(byteWideReplyValue(sensorReply(kHost, e)), 0x2C01);
}

}  // namespace
}  // namespace ostrel::wire
