// The board scene behind the in-process simulated camera.
#include "sim/machine/board_camera.h"

#include <cstdlib>
#include <string>

#include "sim/camera/ostrel_sim.h"
#include "sim/machine/board_picture.h"

namespace corvane::sim {

namespace {

// Called on the camera driver's receive thread for every image the camera sends.
void drawBoard(void* user, uint64_t imageNumber, int width, int height, unsigned char* bgr) {
    auto* machine = static_cast<SimulatedMachine*>(user);
    renderBoardPicture(machine->cameraSnapshot(), imageNumber, width, height, bgr);
}

}  // namespace

void mountBoardCamera(SimulatedMachine& machine) {
    ::setenv("OSTREL_SIMULATED_CAMERA", kMachineCameraModel, 0);
    OstrelSim_SetScene(drawBoard, &machine);
}

void unmountBoardCamera() {
    OstrelSim_SetScene(nullptr, nullptr);
}

bool isBoardCameraAdapter(const char* adapterName) {
    // The camera driver names the in-process camera's adapter after its model.
    const char* model = std::getenv("OSTREL_SIMULATED_CAMERA");
    return adapterName != nullptr && model != nullptr &&
           std::string(adapterName) == std::string("ostrel-sim-") + model;
}

}  // namespace corvane::sim
