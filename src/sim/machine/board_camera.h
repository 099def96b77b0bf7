// The simulated machine's camera: the in-process simulated camera of the
// camera driver, showing the board scene of the simulated machine.
#pragma once

#include "sim/machine/simulated_machine.h"

namespace corvane::sim {

// The camera model mounted on the simulated machine.
inline constexpr const char* kMachineCameraModel = "K1M";

// Lists the in-process simulated camera (model K1M, unless
// OSTREL_SIMULATED_CAMERA already names one) and makes it show what lies
// under it on `machine`. Entry points that run on the simulated machine call
// it once before the camera is opened.
void mountBoardCamera(SimulatedMachine& machine = SimulatedMachine::instance());

// The camera's picture goes back to the driver's test pattern.
void unmountBoardCamera();

// Whether a capture adapter (by its system name) is the machine camera's:
// the camera view opens that one and no other camera the host can reach.
bool isBoardCameraAdapter(const char* adapterName);

}  // namespace corvane::sim
