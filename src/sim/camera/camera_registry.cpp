// Registry of the in-process simulated cameras.
#include "sim/camera/camera_registry.h"

#include <map>
#include <mutex>
#include <string>

namespace camsim {

namespace {

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<CameraModel>, std::less<>> cameras;
    SceneFactory sceneFactory;
};

Registry& registry() {
    static Registry r;
    return r;
}

}  // namespace

std::shared_ptr<CameraModel> inProcessCamera(std::string_view model) {
    const ModelSpec* found = findModel(model);
    if (found == nullptr) {
        return nullptr;
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.cameras.find(model);
    if (it != r.cameras.end()) {
        return it->second;
    }
    auto camera = std::make_shared<CameraModel>(*found);
    if (r.sceneFactory) {
        camera->setScene(r.sceneFactory());
    }
    r.cameras.emplace(std::string(model), camera);
    return camera;
}

void resetInProcessCameras() {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.cameras.clear();
}

void setSceneFactory(SceneFactory factory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.sceneFactory = std::move(factory);
    for (auto& [name, camera] : r.cameras) {
        camera->setScene(r.sceneFactory ? r.sceneFactory() : nullptr);
    }
}

}  // namespace camsim
