// Gamma table, bilinear demosaic (through OpenCV), grey expansion and mirror copy.
#include "camera/image_conversion.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ostrel {

BayerPhase mirroredPhase(BayerPhase base, int mirrorMode) {
    int bits = static_cast<int>(base);
    if (mirrorMode & 1) {
        bits ^= 2;  // rows reversed: red moves to the other row parity
    }
    if (mirrorMode & 2) {
        bits ^= 1;  // columns reversed
    }
    return static_cast<BayerPhase>(bits & 3);
}

GammaTable buildGammaTable() {
    GammaTable t{};
    for (int i = 0; i < 256; ++i) {
        const double v = std::pow((i + 0.5) / 256.0, 0.511247456) * 256.0 - 0.5;
        t[static_cast<size_t>(i)] = static_cast<uint8_t>(std::clamp(static_cast<int>(v), 0, 255));
    }
    return t;
}

void applyTable(const uint8_t* in, size_t count, const GammaTable& table, uint8_t* out) {
    if (count == 0) {
        return;
    }
    const cv::Mat lut(1, 256, CV_8UC1, const_cast<uint8_t*>(table.data()));
    const cv::Mat from(1, static_cast<int>(count), CV_8UC1, const_cast<uint8_t*>(in));
    cv::Mat to(1, static_cast<int>(count), CV_8UC1, out);
    cv::LUT(from, lut, to);
}

namespace {

// OpenCV names a mosaic by the second and third pixels of its second row.
int openCvCode(BayerPhase phase) {
    switch (phase) {
        case BayerPhase::RGGB:
            return cv::COLOR_BayerBG2BGR;
        case BayerPhase::GRBG:
            return cv::COLOR_BayerGB2BGR;
        case BayerPhase::GBRG:
            return cv::COLOR_BayerGR2BGR;
        case BayerPhase::BGGR:
            return cv::COLOR_BayerRG2BGR;
    }
    return cv::COLOR_BayerBG2BGR;
}

}  // namespace

void demosaicBottomUp(const uint8_t* raw, int width, int height, BayerPhase phase, uint8_t* bgr,
                      std::vector<uint8_t>& work) {
    if (width < 3 || height < 3) {
        greyBottomUp(raw, width, height, bgr);
        return;
    }
    const size_t stride = static_cast<size_t>(width);
    const size_t outStride = stride * 3;
    work.resize(outStride * static_cast<size_t>(height));
    // OpenCV's bilinear demosaic centres pixel (x, y) on raw pixel (x, y);
    // ours is centred on (x + 1, y + 1) and written bottom-up.
    const cv::Mat in(height, width, CV_8UC1, const_cast<uint8_t*>(raw));
    cv::Mat centred(height, width, CV_8UC3, work.data());
    cv::cvtColor(in, centred, openCvCode(phase));
    for (int y = 0; y <= height - 3; ++y) {
        uint8_t* out = bgr + static_cast<size_t>(height - 1 - y) * outStride;
        std::memcpy(out, work.data() + static_cast<size_t>(y + 1) * outStride + 3, (stride - 2) * 3);
        std::memcpy(out + (stride - 2) * 3, out + (stride - 3) * 3, 3);
        std::memcpy(out + (stride - 1) * 3, out + (stride - 3) * 3, 3);
    }
    // Image rows height-2 and height-1 (output rows 1 and 0) repeat the pair before them.
    for (int y = height - 2; y < height; ++y) {
        const int from = y - 2 >= 0 && y - 2 <= height - 3 ? y - 2 : height - 3;
        std::memcpy(bgr + static_cast<size_t>(height - 1 - y) * outStride,
                    bgr + static_cast<size_t>(height - 1 - from) * outStride, outStride);
    }
}

void greyBottomUp(const uint8_t* raw, int width, int height, uint8_t* bgr) {
    if (width <= 0 || height <= 0) {
        return;
    }
    const size_t stride = static_cast<size_t>(width);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = raw + static_cast<size_t>(y) * stride;
        uint8_t* out = bgr + static_cast<size_t>(height - 1 - y) * stride * 3;
        for (size_t x = 0; x < stride; ++x) {
            out[0] = out[1] = out[2] = in[x];
            out += 3;
        }
    }
}

void mirrorCopy(const uint8_t* in, int width, int height, int mirrorMode, uint8_t* out) {
    if (width <= 0 || height <= 0) {
        return;
    }
    const size_t stride = static_cast<size_t>(width);
    for (int y = 0; y < height; ++y) {
        const int from = (mirrorMode & 1) ? height - 1 - y : y;
        const uint8_t* src = in + static_cast<size_t>(from) * stride;
        uint8_t* dst = out + static_cast<size_t>(y) * stride;
        if (mirrorMode & 2) {
            std::reverse_copy(src, src + stride, dst);
        } else {
            std::memcpy(dst, src, stride);
        }
    }
}

}  // namespace ostrel
