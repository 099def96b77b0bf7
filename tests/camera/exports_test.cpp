// Exports that need no camera: status texts, BMP files, bad arguments.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "camera/message_box.h"
#include "camera/ostrel.h"

namespace {

std::string gbkToUtf8(const char* gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    std::string in(gbk);
    std::string out(in.size() * 4, '\0');
    char* src = in.data();
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

TEST(ErrorString, TextsAreGbk) {
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_SUCCESS)), "操作成功");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_FAILED)), "操作失败");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_DEVICE_NOT_FOUND)), "找不到指定的设备");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_DEVICE_INIT)), "设备初始化失败");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_DEVICE_NOT_OPEN)), "没有初始化设备");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_CAPTURE_INIT)), "捕获初始化失败");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_CAPTURE_NOT_INIT)), "没有初始化捕获");
    EXPECT_EQ(gbkToUtf8(TQ_GetErrorString(TQ_E_CAPTURE_STOPPED)), "捕获已停止");
}

TEST(ErrorString, CodesWithoutTextGiveAnEmptyStringInTheSameBuffer) {
    const char* first = TQ_GetErrorString(TQ_SUCCESS);
    EXPECT_STREQ(TQ_GetErrorString(0x20000001), "");
    EXPECT_STREQ(TQ_GetErrorString(TQ_E_NO_REPLY), "");
    EXPECT_STREQ(TQ_GetErrorString(TQ_E_PARAMETER), "");
    EXPECT_EQ(TQ_GetErrorString(0), first);
    // The whole 1024-byte buffer is cleared each time.
    TQ_GetErrorString(TQ_E_DEVICE_NOT_FOUND);
    const char* empty = TQ_GetErrorString(0x12345678);
    EXPECT_TRUE(std::all_of(empty, empty + 1024, [](char c) { return c == 0; }));
}

class SaveImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("ostrel-save-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        ostrel::setMessageSink([this](const std::string& text, const std::string& caption) {
            messages_.push_back(caption + ": " + text);
        });
    }
    void TearDown() override {
        ostrel::setMessageSink(nullptr);
        std::filesystem::remove_all(dir_);
    }
    std::vector<uint8_t> read(const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
        return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t{b[at + 3]} << 24;
    }
    std::filesystem::path dir_;
    std::vector<std::string> messages_;
};

TEST_F(SaveImageTest, GreyImagesGetAPaletteAndTheirRowsAsGiven) {
    std::vector<uint8_t> image(6 * 3);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i);
    }
    const auto path = dir_ / "grey.bmp";
    ASSERT_EQ(TQ_SaveImg(image.data(), path.c_str(), 6, 3, 18, 0), TQ_SUCCESS);
    const auto b = read(path);
    ASSERT_EQ(b.size(), 1078u + 18u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(le32(b, 2), (6u * 8 + 31) / 32 * 4 * 3 + 1078);
    EXPECT_EQ(le32(b, 10), 1078u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(le32(b, 18), 6u);
    EXPECT_EQ(le32(b, 22), 3u);
    EXPECT_EQ(b[26], 1);
    EXPECT_EQ(b[28], 8);
    EXPECT_EQ(le32(b, 54 + 4 * 200), 0x00C8C8C8u);  // palette entry 200
    EXPECT_EQ(b[1078 + 17], 17);
}

TEST_F(SaveImageTest, ColourImagesAreWrittenAs24Bit) {
    const std::vector<uint8_t> image(4 * 2 * 3, 0x42);
    const auto path = dir_ / "colour.bmp";
    ASSERT_EQ(TQ_SaveImg(image.data(), path.c_str(), 4, 2, 24, 0), TQ_SUCCESS);
    const auto b = read(path);
    ASSERT_EQ(b.size(), 54u + 24u);
    EXPECT_EQ(le32(b, 2), 24u + 54u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(b[28], 24);
    EXPECT_TRUE(messages_.empty());
}

TEST_F(SaveImageTest, OnlyLowerCaseBmpNamesAreAccepted) {
    const std::vector<uint8_t> image(16, 1);
    EXPECT_EQ(TQ_SaveImg(image.data(), (dir_ / "a.BMP").c_str(), 4, 4, 16, 0), TQ_E_FAILED);
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], "Error: just support *.bmp file for image saving!");
    EXPECT_EQ(TQ_SaveImg(image.data(), nullptr, 4, 4, 16, 0), TQ_E_FAILED);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "a.BMP"));
}

TEST_F(SaveImageTest, BadSizesAndUnwritablePlacesFail) {
    const std::vector<uint8_t> image(16, 1);
    EXPECT_EQ(TQ_SaveImg(image.data(), (dir_ / "z.bmp").c_str(), 0, 4, 16, 0), TQ_E_FAILED);
    EXPECT_EQ(TQ_SaveImg(nullptr, (dir_ / "z.bmp").c_str(), 4, 4, 16, 0), TQ_E_FAILED);
    EXPECT_EQ(TQ_SaveImg(image.data(), (dir_ / "no/such/dir/z.bmp").c_str(), 4, 4, 16, 0),
              TQ_E_FAILED);
}

// No export may crash on an index outside the device table or a null pointer.
TEST(BadArguments, OutOfTableDevicesAndNullPointers) {
    for (int device : {-1, 64, 100000}) {
        EXPECT_EQ(TQ_OpenDevice(device), TQ_E_FAILED);
        EXPECT_EQ(TQ_DevCapInit(device, nullptr), TQ_E_DEVICE_NOT_OPEN);
        EXPECT_EQ(TQ_StartCapture(device), TQ_E_DEVICE_NOT_OPEN);
        EXPECT_EQ(TQ_StopCapture(device), TQ_E_CAPTURE_STOPPED);
        EXPECT_EQ(TQ_SetResolution(640, 480, device), TQ_E_DEVICE_NOT_FOUND);
        EXPECT_EQ(TQ_SetImageMirror(1, device), TQ_E_DEVICE_NOT_FOUND);
        EXPECT_EQ(TQ_SnapSWTrigger(device), TQ_E_DEVICE_NOT_FOUND);
        TQ_DevCapRelease(device);
        TQ_CloseDevice(device);
        EXPECT_EQ(TQ_SetCallBack(nullptr, device), device);
    }
    // A device that was never opened: nothing to talk to.
    EXPECT_EQ(TQ_DevCapInit(3, nullptr), TQ_E_DEVICE_NOT_OPEN);
    EXPECT_EQ(TQ_StopCapture(3), TQ_E_CAPTURE_STOPPED);
    EXPECT_EQ(TQ_GetFrameBuffer(nullptr, nullptr, nullptr, nullptr, 3), TQ_E_FAILED);
    uint32_t size = 0;
    unsigned char* buffer = nullptr;
    int w = 0;
    int h = 0;
    EXPECT_EQ(TQ_GetFrameBuffer(&size, &buffer, &w, &h, 3), TQ_E_FAILED);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(TQ_EnumerateDevice(nullptr, nullptr), TQ_E_FAILED);
    EXPECT_EQ(TQ_GetParamInfo(1, nullptr, 3), TQ_E_FAILED);
    TQ_VideoInfo info{};
    EXPECT_EQ(TQ_GetParamInfo(1, &info, 3), TQ_E_PARAMETER);
    EXPECT_EQ(TQ_GetMaxResolution(&w, &h, 3), TQ_E_DEVICE_NOT_FOUND);
    EXPECT_EQ(TQ_SetGainValue(nullptr, 3), TQ_E_DEVICE_NOT_FOUND);
}

}  // namespace
