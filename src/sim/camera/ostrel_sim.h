/* Hooks of the in-process simulated camera (the OSTREL_SIMULATED_CAMERA adapter). */
#ifndef OSTREL_SIM_H
#define OSTREL_SIM_H

#include <stdint.h>

#include "ostrel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Draws image number `imageNumber` (from 1) as width x height pixels of blue,
 * green, red, rows top to bottom. Called on the thread that receives frames. */
typedef void (*OstrelSimDraw)(void* user, uint64_t imageNumber, int width, int height,
                              unsigned char* bgr);

/* The picture of the simulated cameras, those open now and those opened later
 * (null: the test pattern). */
OSTREL_API void OstrelSim_SetScene(OstrelSimDraw draw, void* user);

/* Switches the simulated camera of the named model on or off (off: it
 * answers nothing and sends nothing, as when unplugged). */
OSTREL_API void OstrelSim_SetPowered(const char* model, int powered);

/* Packet numbers (from 1) the simulated camera of the named model leaves out
 * of every image; count 0 sends every packet again. */
OSTREL_API void OstrelSim_SetPacketDrops(const char* model, const uint16_t* numbers, int count);

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_SIM_H */
