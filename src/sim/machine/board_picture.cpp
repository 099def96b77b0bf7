// Drawing the board scene as the simulated camera's sensor sees it.
#include "sim/machine/board_picture.h"

#include <algorithm>
#include <cmath>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace corvane::sim {

namespace {

// A dark disc of radius r (pixels) centred at sensor point (cx, cy), with
// the pixels on its rim covered in part, so that sub-pixel places show.
void drawDisc(cv::Mat& grey, double cx, double cy, double r, int level) {
    const int x0 = std::max(0, static_cast<int>(std::floor(cx - r - 1)));
    const int x1 = std::min(grey.cols - 1, static_cast<int>(std::ceil(cx + r + 1)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy - r - 1)));
    const int y1 = std::min(grey.rows - 1, static_cast<int>(std::ceil(cy + r + 1)));
    for (int y = y0; y <= y1; ++y) {
        auto* row = grey.ptr<uint8_t>(y);
        for (int x = x0; x <= x1; ++x) {
            const double cover = std::clamp(r + 0.5 - std::hypot(x - cx, y - cy), 0.0, 1.0);
            if (cover > 0) {
                row[x] = static_cast<uint8_t>(std::lround(row[x] * (1 - cover) + level * cover));
            }
        }
    }
}

class FeaturePainter {
  public:
    FeaturePainter(const CameraSnapshot& s, cv::Mat& grey)
        : scene_(*s.scene), platform_(s.platform), grey_(grey) {}

    void paint(PlanePoint nominal, double diameter) {
        const PlanePoint real = boardToWorkdesk(scene_, nominal);
        const PlanePoint p = picturePoint(scene_.camera, real, platform_, grey_.cols, grey_.rows);
        const double r = diameter * 0.5 * scene_.camera.pixelsPerMm;
        // Sensor place of picture point p (see board_picture.h).
        const double sx = grey_.cols - 1 - p.x;
        const double sy = grey_.rows - p.y;
        if (sx < -r - 2 || sy < -r - 2 || sx > grey_.cols + r + 2 || sy > grey_.rows + r + 2) {
            return;
        }
        drawDisc(grey_, sx, sy, r, scene_.look.featureGrey);
    }

  private:
    const BoardSceneConfig& scene_;
    PlanePoint platform_;
    cv::Mat& grey_;
};

}  // namespace

void renderBoardPicture(const CameraSnapshot& snapshot, uint64_t imageNumber, int width, int height,
                        uint8_t* bgr) {
    if (width <= 0 || height <= 0 || bgr == nullptr || !snapshot.scene) {
        return;
    }
    const BoardSceneConfig& scene = *snapshot.scene;
    const PictureLook& look = scene.look;
    // One receive thread draws a camera's images: its buffers are kept.
    thread_local cv::Mat grey;
    thread_local cv::Mat noisy;
    thread_local cv::Mat noise;
    grey.create(height, width, CV_8UC1);

    if (!snapshot.lightOn) {
        grey.setTo(look.darkGrey);
    } else if (!snapshot.boardOnWorkdesk) {
        grey.setTo(look.workdeskGrey);
    } else {
        grey.setTo(look.boardGrey);
        FeaturePainter painter(snapshot, grey);
        for (const BoardMark& m : scene.layout.marks) {
            painter.paint({m.x, m.y}, scene.layout.markDiameter);
        }
        for (const BoardComponent& c : scene.layout.components) {
            const LeadHoles holes = leadHoles(scene.camera, c);
            painter.paint(holes.a, scene.layout.holeDiameter);
            painter.paint(holes.b, scene.layout.holeDiameter);
        }
        if (look.blurSigma > 0) {
            cv::GaussianBlur(grey, grey, cv::Size(0, 0), look.blurSigma);
        }
    }
    if (look.noiseSigma > 0) {
        cv::RNG random(look.seed * 0x9E3779B97F4A7C15ull + imageNumber);
        noise.create(height, width, CV_16SC1);
        random.fill(noise, cv::RNG::NORMAL, 0.0, look.noiseSigma);
        grey.convertTo(noisy, CV_16SC1);
        noisy += noise;
        noisy.convertTo(grey, CV_8UC1);
    }
    cv::Mat out(height, width, CV_8UC3, bgr);
    cv::cvtColor(grey, out, cv::COLOR_GRAY2BGR);
}

}  // namespace corvane::sim
