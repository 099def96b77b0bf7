// The simulated camera's default test pattern.
#include "sim/camera/scene.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace camsim {

int TestPatternScene::cellSize(int width) { return std::clamp(width / 32, 1, 16); }

void TestPatternScene::render(uint64_t imageNumber, int width, int height, uint8_t* bgr) {
    if (width <= 0 || height <= 0) {
        return;
    }
    // Bars at three quarters of full level: white, yellow, cyan, green,
    // magenta, red, blue, black (blue, green, red order).
    static constexpr std::array<std::array<uint8_t, 3>, 8> kBars = {{
        {191, 191, 191}, {0, 191, 191}, {191, 191, 0}, {0, 191, 0},
        {191, 0, 191}, {0, 0, 191}, {191, 0, 0}, {0, 0, 0},
    }};
    const size_t stride = static_cast<size_t>(width) * 3;
    for (int x = 0; x < width; ++x) {
        const auto& c = kBars[static_cast<size_t>(x * 8 / width)];
        std::memcpy(bgr + static_cast<size_t>(x) * 3, c.data(), 3);
    }
    for (int y = 1; y < height; ++y) {
        std::memcpy(bgr + static_cast<size_t>(y) * stride, bgr, stride);
    }
    auto fill = [&](int x0, int y0, int w, int h, uint8_t v) {
        for (int y = std::max(y0, 0); y < std::min(y0 + h, height); ++y) {
            for (int x = std::max(x0, 0); x < std::min(x0 + w, width); ++x) {
                uint8_t* p = bgr + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3;
                p[0] = p[1] = p[2] = v;
            }
        }
    };
    const int marker = std::max(height / 8, 4);
    const int span = std::max(width - marker, 1);
    fill(static_cast<int>((imageNumber * 8) % static_cast<uint64_t>(span)), height / 2 - marker / 2,
         marker, marker, 255);
    const int cell = cellSize(width);
    for (int bit = 0; bit < 16; ++bit) {
        const bool one = (imageNumber >> (15 - bit)) & 1;
        fill(bit * cell, 0, cell, cell, one ? 255 : 0);
    }
}

}  // namespace camsim
