// The in-process simulated cameras, one per model, made on first use.
//
// A camera outlives the driver's handles on it, as a powered camera outlives a
// program that closes it; tests reach the same camera to switch faults on and
// to look at its registers.
#pragma once

#include <memory>
#include <string_view>

#include "sim/camera/camera_model.h"

namespace camsim {

// The camera of that model (null for an unknown model).
std::shared_ptr<CameraModel> inProcessCamera(std::string_view model);
// Forgets every camera: the next use makes a new one, as if powered up.
void resetInProcessCameras();
// The scene of cameras made from now on, and of those that exist (null: the
// test pattern).
void setSceneFactory(SceneFactory factory);

}  // namespace camsim
