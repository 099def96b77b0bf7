// The simulated camera's picture of the board scene.
//
// The picture is drawn as the machine's mono camera (K1M) sends it with the
// settings the camera view opens it with: the sensor mirrors its rows left to
// right, and the camera view counts picture rows from the other end of the
// frame buffer (it shows buffers bottom row first). So sensor column
// width - 1 - u and sensor row height - v hold picture point (u, v) of
// board_scene.h.
#pragma once

#include <cstdint>

#include "sim/machine/board_scene.h"

namespace corvane::sim {

// Draws image number `imageNumber` as width x height pixels of blue, green,
// red, rows in the order the sensor sends them: the board's surface with its
// marks and lead holes as dark discs, blurred a little, with sensor noise;
// the bare workdesk when no board lies on it; dark while the light is off.
void renderBoardPicture(const CameraSnapshot& snapshot, uint64_t imageNumber, int width, int height,
                        uint8_t* bgr);

}  // namespace corvane::sim
