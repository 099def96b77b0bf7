// What the simulated camera sees: a pluggable picture source.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace camsim {

class Scene {
public:
    virtual ~Scene() = default;
    // Draws image number `imageNumber` (1 for the first image the camera
    // sends) as width x height pixels of blue, green, red, rows top to bottom.
    virtual void render(uint64_t imageNumber, int width, int height, uint8_t* bgr) = 0;
};

// The default picture: eight colour bars, a white square that moves right by
// 8 pixels per image, and the image number in binary along the top edge
// (16 cells, most significant bit first, white for 1), so that the order and
// freshness of images can be seen and read back.
class TestPatternScene : public Scene {
public:
    void render(uint64_t imageNumber, int width, int height, uint8_t* bgr) override;

    // Width of one cell of the number strip for an image of that width.
    static int cellSize(int width);
};

// A scene drawn by a function (the machine's board scene plugs in this way).
class FunctionScene : public Scene {
public:
    using Draw = std::function<void(uint64_t imageNumber, int width, int height, uint8_t* bgr)>;
    explicit FunctionScene(Draw draw) : draw_(std::move(draw)) {}
    void render(uint64_t imageNumber, int width, int height, uint8_t* bgr) override {
        draw_(imageNumber, width, height, bgr);
    }

private:
    Draw draw_;
};

using SceneFactory = std::function<std::unique_ptr<Scene>()>;

}  // namespace camsim
