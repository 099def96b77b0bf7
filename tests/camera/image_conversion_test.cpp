// Gamma table, demosaic variants, grey expansion and mirror copies.
#include "camera/image_conversion.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <random>
#include <vector>

namespace ostrel {
namespace {

// The mosaic a sensor of that phase makes of a picture (bgr, rows top-down).
std::vector<uint8_t> mosaic(const std::vector<uint8_t>& bgr, int w, int h, BayerPhase phase) {
    std::vector<uint8_t> raw(static_cast<size_t>(w * h));
    const int redCol = static_cast<int>(phase) & 1;
    const int redRow = static_cast<int>(phase) >> 1 & 1;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &bgr[static_cast<size_t>((y * w + x) * 3)];
            const bool rr = (y & 1) == redRow;
            const bool rc = (x & 1) == redCol;
            raw[static_cast<size_t>(y * w + x)] = rr ? (rc ? p[2] : p[1]) : (rc ? p[1] : p[0]);
        }
    }
    return raw;
}

// The demosaic's work buffer, kept between calls as the stream keeps it.
std::vector<uint8_t> demosaicWork;

std::vector<uint8_t> smoothPicture(int w, int h) {
    std::vector<uint8_t> bgr(static_cast<size_t>(w * h * 3));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bgr[static_cast<size_t>((y * w + x) * 3)];
            p[0] = static_cast<uint8_t>(x * 3 + y);
            p[1] = static_cast<uint8_t>(128 + x - 2 * y);
            p[2] = static_cast<uint8_t>(y * 5 + x / 2);
        }
    }
    return bgr;
}

TEST(GammaTable, FollowsTheCurve) {
    const GammaTable t = buildGammaTable();
    EXPECT_EQ(t[0], 10);
    EXPECT_EQ(t[128], 179);
    EXPECT_EQ(t[255], 255);
    for (size_t i = 1; i < 256; ++i) {
        EXPECT_LE(t[i - 1], t[i]) << i;
    }
}

TEST(GammaTable, AppliesToEveryByte) {
    const GammaTable t = buildGammaTable();
    std::vector<uint8_t> in(1000);
    for (size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<uint8_t>(i * 13);
    }
    std::vector<uint8_t> out(in.size(), 0);
    applyTable(in.data(), in.size(), t, out.data());
    for (size_t i = 0; i < in.size(); ++i) {
        ASSERT_EQ(out[i], t[in[i]]) << i;
    }
}

TEST(Demosaic, UniformColourComesBackInEveryPhase) {
    const int w = 16;
    const int h = 10;
    std::vector<uint8_t> bgr(static_cast<size_t>(w * h * 3));
    for (size_t i = 0; i < bgr.size(); i += 3) {
        bgr[i] = 30;
        bgr[i + 1] = 120;
        bgr[i + 2] = 210;
    }
    for (int phase = 0; phase < 4; ++phase) {
        const auto raw = mosaic(bgr, w, h, static_cast<BayerPhase>(phase));
        std::vector<uint8_t> out(bgr.size(), 0);
        demosaicBottomUp(raw.data(), w, h, static_cast<BayerPhase>(phase), out.data(), demosaicWork);
        EXPECT_EQ(out, bgr) << "phase " << phase;
    }
}

// The phases against OpenCV's bilinear Bayer conversion of the same mosaic,
// read at the raw pixel each output pixel is centred on, with rows flipped.
TEST(Demosaic, AgreesWithOpenCvBilinearInsideTheImage) {
    const int w = 64;
    const int h = 48;
    const auto bgr = smoothPicture(w, h);
    // OpenCV names a pattern by the second row's second and third pixels.
    const struct {
        BayerPhase phase;
        int code;
    } kPairs[] = {{BayerPhase::RGGB, cv::COLOR_BayerBG2BGR},
                  {BayerPhase::GRBG, cv::COLOR_BayerGB2BGR},
                  {BayerPhase::GBRG, cv::COLOR_BayerGR2BGR},
                  {BayerPhase::BGGR, cv::COLOR_BayerRG2BGR}};
    for (const auto& pair : kPairs) {
        auto raw = mosaic(bgr, w, h, pair.phase);
        std::vector<uint8_t> ours(bgr.size(), 0);
        demosaicBottomUp(raw.data(), w, h, pair.phase, ours.data(), demosaicWork);
        cv::Mat theirs;
        cv::cvtColor(cv::Mat(h, w, CV_8UC1, raw.data()), theirs, pair.code);
        int worst = 0;
        for (int y = 0; y <= h - 3; ++y) {
            for (int x = 0; x <= w - 3; ++x) {
                const uint8_t* a = &ours[static_cast<size_t>(((h - 1 - y) * w + x) * 3)];
                const cv::Vec3b b = theirs.at<cv::Vec3b>(y + 1, x + 1);
                for (int c = 0; c < 3; ++c) {
                    worst = std::max(worst, std::abs(a[c] - b[c]));
                }
            }
        }
        EXPECT_EQ(worst, 0) << "phase " << static_cast<int>(pair.phase);
    }
}

TEST(Demosaic, LastTwoColumnsAndRowsRepeat) {
    const int w = 9;
    const int h = 7;
    std::mt19937 random(7);
    std::vector<uint8_t> raw(static_cast<size_t>(w * h));
    for (auto& v : raw) {
        v = static_cast<uint8_t>(random());
    }
    std::vector<uint8_t> out(static_cast<size_t>(w * h * 3), 0);
    demosaicBottomUp(raw.data(), w, h, BayerPhase::GRBG, out.data(), demosaicWork);
    auto px = [&](int memRow, int x) { return &out[static_cast<size_t>((memRow * w + x) * 3)]; };
    for (int m = 0; m < h; ++m) {
        EXPECT_TRUE(std::equal(px(m, w - 3), px(m, w - 3) + 3, px(m, w - 2)));
        EXPECT_TRUE(std::equal(px(m, w - 3), px(m, w - 3) + 3, px(m, w - 1)));
    }
    // Output rows 1 and 0 (image rows h-2 and h-1) repeat output rows 3 and 2.
    EXPECT_TRUE(std::equal(px(3, 0), px(3, 0) + w * 3, px(1, 0)));
    EXPECT_TRUE(std::equal(px(2, 0), px(2, 0) + w * 3, px(0, 0)));
}

TEST(Demosaic, TinyImagesStayInsideTheirBuffers) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {3, 3}, {4, 3}, {3, 5}, {2, 9}, {5, 4}}) {
        std::vector<uint8_t> raw(static_cast<size_t>(w * h), 100);
        std::vector<uint8_t> out(static_cast<size_t>(w * h * 3), 0);
        demosaicBottomUp(raw.data(), w, h, BayerPhase::BGGR, out.data(), demosaicWork);
        EXPECT_EQ(out.front(), 100) << w << "x" << h;
    }
}

TEST(Grey, ThreeEqualBytesRowsBottomUp) {
    const std::vector<uint8_t> raw = {1, 2, 3, 4};
    std::vector<uint8_t> out(12, 0);
    greyBottomUp(raw.data(), 2, 2, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{3, 3, 3, 4, 4, 4, 1, 1, 1, 2, 2, 2}));
}

TEST(MirrorCopy, FourModes) {
    const std::vector<uint8_t> in = {1, 2, 3, 4, 5, 6};  // 3 x 2
    std::vector<uint8_t> out(6, 0);
    mirrorCopy(in.data(), 3, 2, 0, out.data());
    EXPECT_EQ(out, in);
    mirrorCopy(in.data(), 3, 2, 1, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{4, 5, 6, 1, 2, 3}));
    mirrorCopy(in.data(), 3, 2, 2, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{3, 2, 1, 6, 5, 4}));
    mirrorCopy(in.data(), 3, 2, 3, out.data());
    EXPECT_EQ(out, (std::vector<uint8_t>{6, 5, 4, 3, 2, 1}));
}

TEST(MirroredPhase, MirroringSwapsTheParityOfItsDirection) {
    EXPECT_EQ(mirroredPhase(BayerPhase::GRBG, 0), BayerPhase::GRBG);
    EXPECT_EQ(mirroredPhase(BayerPhase::GRBG, 1), BayerPhase::BGGR);
    EXPECT_EQ(mirroredPhase(BayerPhase::GRBG, 2), BayerPhase::RGGB);
    EXPECT_EQ(mirroredPhase(BayerPhase::GRBG, 3), BayerPhase::GBRG);
}

}  // namespace
}  // namespace ostrel
