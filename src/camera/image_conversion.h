// Turning an assembled raw image into the image handed to the caller.
//
// Colour output is 3-byte pixels in blue, green, red order with rows written
// bottom-up; the demosaic reads the raw rows in reverse order rather than
// flipping afterwards, which gives the same picture for less work.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace ostrel {

// Colour of the mosaic at raw pixel (0, 0). Bit 0: red sits on odd columns;
// bit 1: red sits on odd rows. Mirroring an image of even size flips the bit
// of the mirrored direction.
enum class BayerPhase : uint8_t { RGGB = 0, GRBG = 1, GBRG = 2, BGGR = 3 };

// The mosaic of the colour cameras at raw pixel (0, 0), unmirrored.
inline constexpr BayerPhase kCameraMosaicPhase = BayerPhase::GRBG;

// The phase of the readout of a sensor whose unmirrored phase is `base`, in
// mirror mode 0..3 (bit 0 vertical, bit 1 horizontal).
BayerPhase mirroredPhase(BayerPhase base, int mirrorMode);

using GammaTable = std::array<uint8_t, 256>;
GammaTable buildGammaTable();

// out[i] = table[in[i]].
void applyTable(const uint8_t* in, size_t count, const GammaTable& table, uint8_t* out);

// Bilinear demosaic of a width x height mosaic into width x height x 3 bytes,
// rows bottom-up. Output pixel (x, y) is interpolated around raw pixel
// (x + 1, y + 1); the last two pixels of each row repeat the last computed
// one and the last two rows repeat the two rows before them. Any size is
// accepted; images under 3 x 3 pixels come out as grey. `work` is a buffer
// the caller keeps between images (it grows to width x height x 3 once).
void demosaicBottomUp(const uint8_t* raw, int width, int height, BayerPhase phase, uint8_t* bgr,
                      std::vector<uint8_t>& work);

// Each raw byte becomes a grey 3-byte pixel; rows bottom-up.
void greyBottomUp(const uint8_t* raw, int width, int height, uint8_t* bgr);

// Copies a one-byte image applying a mirror mode: 0 as is, 1 rows reversed,
// 2 each row's pixels reversed, 3 both. Rows stay top to bottom.
void mirrorCopy(const uint8_t* in, int width, int height, int mirrorMode, uint8_t* out);

}  // namespace ostrel
