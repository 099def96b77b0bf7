// Gamma table, bilinear demosaic, grey expansion and mirror copy.
#include "camera/image_conversion.h"

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
    for (size_t i = 0; i < count; ++i) {
        out[i] = table[in[i]];
    }
}

namespace {

// A red or blue site: its own colour, green from the four neighbours, the
// other colour from the four diagonals.
template <bool RedRow>
inline void colourSite(const uint8_t* u, const uint8_t* m, const uint8_t* d, int cx, uint8_t* o) {
    const int c = m[cx];
    const int g = (u[cx] + d[cx] + m[cx - 1] + m[cx + 1] + 2) >> 2;
    const int other = (u[cx - 1] + u[cx + 1] + d[cx - 1] + d[cx + 1] + 2) >> 2;
    o[0] = static_cast<uint8_t>(RedRow ? other : c);
    o[1] = static_cast<uint8_t>(g);
    o[2] = static_cast<uint8_t>(RedRow ? c : other);
}

// A green site: the row's colour from left and right, the other from above and below.
template <bool RedRow>
inline void greenSite(const uint8_t* u, const uint8_t* m, const uint8_t* d, int cx, uint8_t* o) {
    const int same = (m[cx - 1] + m[cx + 1] + 1) >> 1;
    const int other = (u[cx] + d[cx] + 1) >> 1;
    o[0] = static_cast<uint8_t>(RedRow ? other : same);
    o[1] = m[cx];
    o[2] = static_cast<uint8_t>(RedRow ? same : other);
}

// Output pixels 0 .. width-3 of one row, centred on raw columns 1 .. width-2.
template <bool RedRow>
void demosaicRow(const uint8_t* u, const uint8_t* m, const uint8_t* d, int width,
                 bool firstIsColour, uint8_t* out) {
    const int last = width - 2;  // last centre column
    int cx = 1;
    uint8_t* o = out;
    if (!firstIsColour && cx <= last) {
        greenSite<RedRow>(u, m, d, cx, o);
        ++cx;
        o += 3;
    }
    // Two pixels per step: a colour site, then a green one.
    for (; cx + 1 <= last; cx += 2, o += 6) {
        colourSite<RedRow>(u, m, d, cx, o);
        greenSite<RedRow>(u, m, d, cx + 1, o + 3);
    }
    if (cx <= last) {
        colourSite<RedRow>(u, m, d, cx, o);
    }
}

}  // namespace

void demosaicBottomUp(const uint8_t* raw, int width, int height, BayerPhase phase, uint8_t* bgr) {
    if (width < 3 || height < 3) {
        greyBottomUp(raw, width, height, bgr);
        return;
    }
    const size_t stride = static_cast<size_t>(width);
    const size_t outStride = stride * 3;
    const int redCol = static_cast<int>(phase) & 1;
    const int redRow = (static_cast<int>(phase) >> 1) & 1;
    for (int y = 0; y <= height - 3; ++y) {
        const int cy = y + 1;
        const uint8_t* u = raw + static_cast<size_t>(y) * stride;
        const uint8_t* m = u + stride;
        const uint8_t* d = m + stride;
        uint8_t* out = bgr + static_cast<size_t>(height - 1 - y) * outStride;
        const bool isRedRow = (cy & 1) == redRow;
        // Column parity of the row's red or blue sites.
        const int colourParity = isRedRow ? redCol : 1 - redCol;
        const bool firstIsColour = colourParity == 1;  // the first centre is column 1
        if (isRedRow) {
            demosaicRow<true>(u, m, d, width, firstIsColour, out);
        } else {
            demosaicRow<false>(u, m, d, width, firstIsColour, out);
        }
        const uint8_t* lastPixel = out + static_cast<size_t>(width - 3) * 3;
        std::memcpy(out + static_cast<size_t>(width - 2) * 3, lastPixel, 3);
        std::memcpy(out + static_cast<size_t>(width - 1) * 3, lastPixel, 3);
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
