// The exported hooks that steer the in-process simulated camera.
#include "sim/camera/ostrel_sim.h"

#include "camera/export_guard.h"
#include "sim/camera/camera_registry.h"

extern "C" {

OSTREL_API void OstrelSim_SetScene(OstrelSimDraw draw, void* user) {
    ostrel::guarded([&] {
        if (draw == nullptr) {
            camsim::setSceneFactory(nullptr);
            return;
        }
        camsim::setSceneFactory([draw, user] {
            return std::make_unique<camsim::FunctionScene>(
                [draw, user](uint64_t n, int w, int h, uint8_t* bgr) { draw(user, n, w, h, bgr); });
        });
    });
}

OSTREL_API void OstrelSim_SetPowered(const char* model, int powered) {
    ostrel::guarded([&] {
        if (model == nullptr) {
            return;
        }
        if (auto camera = camsim::inProcessCamera(model)) {
            camsim::Faults f = camera->faults();
            f.poweredOff = powered == 0;
            camera->setFaults(f);
        }
    });
}

OSTREL_API void OstrelSim_SetPacketDrops(const char* model, const uint16_t* numbers, int count) {
    ostrel::guarded([&] {
        if (model == nullptr) {
            return;
        }
        if (auto camera = camsim::inProcessCamera(model)) {
            camsim::Faults f = camera->faults();
            f.dropPackets.clear();
            for (int i = 0; numbers != nullptr && i < count; ++i) {
                f.dropPackets.insert(numbers[i]);
            }
            camera->setFaults(f);
        }
    });
}

}  // extern "C"
