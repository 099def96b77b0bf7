// Geometry of the board under the simulated camera.
#include "sim/machine/board_scene.h"

#include <cmath>
#include <numbers>

namespace corvane::sim {

namespace {

constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

PlanePoint pivotOf(const BoardLayout& layout) {
    if (layout.marks.empty()) {
        return {};
    }
    return {layout.marks.front().x, layout.marks.front().y};
}

PlanePoint turned(PlanePoint p, double degrees) {
    const double c = std::cos(degrees * kRadiansPerDegree);
    const double s = std::sin(degrees * kRadiansPerDegree);
    return {c * p.x - s * p.y, s * p.x + c * p.y};
}

// Where each hole lies from the insertion point, in multiples of the unit
// direction e whose picture direction is the component's angle: hole A at
// aAlong * e, hole B at bAlong * e. (The picture moves against the board, so
// "towards B in the picture" is -e on the board.)
struct HoleReach {
    double aAlong;
    double bAlong;
};

HoleReach reachOf(double pitch) {
    if (pitch == 2.5)
        return {2.5, 0.0};
    if (pitch == 3.5)
        return {-2.5, -6.0};
    if (pitch == 5.0)
        return {2.5, -2.5};
    if (pitch == 7.5)
        return {2.5, -5.0};
    return {5.0, -5.0};
}

}  // namespace

TrueCalibration trueCalibration(const CameraTruth& camera) {
    const double s = camera.pixelsPerMm;
    const double r = camera.rotationDegrees * kRadiansPerDegree;
    const double lean = (camera.skewDegrees - camera.rotationDegrees) * kRadiansPerDegree;
    return {s * std::cos(r), s * std::sin(r), s * std::sin(lean), s * std::cos(lean)};
}

PlanePoint boardToWorkdesk(const BoardSceneConfig& scene, PlanePoint nominal) {
    const PlanePoint pivot = pivotOf(scene.layout);
    const PlanePoint t = turned({nominal.x - pivot.x, nominal.y - pivot.y}, scene.offset.degrees);
    return {pivot.x + t.x + scene.offset.dx, pivot.y + t.y + scene.offset.dy};
}

PlanePoint workdeskToBoard(const BoardSceneConfig& scene, PlanePoint real) {
    const PlanePoint pivot = pivotOf(scene.layout);
    const PlanePoint t =
        turned({real.x - scene.offset.dx - pivot.x, real.y - scene.offset.dy - pivot.y},
               -scene.offset.degrees);
    return {pivot.x + t.x, pivot.y + t.y};
}

double leadPitch(double width) {
    const double w = std::fabs(width - 0.5);
    for (double pitch : {2.5, 3.5, 5.0, 7.5}) {
        if (pitch > w) {
            return pitch;
        }
    }
    return 10.0;
}

LeadHoles leadHoles(const CameraTruth& camera, const BoardComponent& component) {
    // e = M^-1 u / |M^-1 u| with u the picture direction of the angle.
    const TrueCalibration m = trueCalibration(camera);
    const double a = component.angle * kRadiansPerDegree;
    const double ux = std::cos(a);
    const double uy = std::sin(a);
    const double det = m.xRatio * m.yRatio - m.yOffset * m.xOffset;
    double ex = (m.yRatio * ux - m.yOffset * uy) / det;
    double ey = (m.xRatio * uy - m.xOffset * ux) / det;
    const double length = std::hypot(ex, ey);
    ex /= length;
    ey /= length;
    const HoleReach reach = reachOf(leadPitch(component.width));
    return {{component.x + reach.aAlong * ex, component.y + reach.aAlong * ey},
            {component.x + reach.bAlong * ex, component.y + reach.bAlong * ey}};
}

PlanePoint picturePoint(const CameraTruth& camera, PlanePoint real, PlanePoint platform, int width,
                        int height) {
    const TrueCalibration m = trueCalibration(camera);
    const double fx = real.x - platform.x;
    const double fy = real.y - platform.y;
    return {width / 2.0 - (m.xRatio * fx + m.yOffset * fy),
            height / 2.0 - (m.xOffset * fx + m.yRatio * fy)};
}

Placement placementAt(const BoardSceneConfig& scene, PlanePoint platform) {
    Placement p;
    p.shaft = {platform.x - scene.cameraToShaft[0], platform.y - scene.cameraToShaft[1]};
    p.onBoard = workdeskToBoard(scene, p.shaft);
    return p;
}

std::optional<NearestComponent> nearestComponent(const BoardLayout& layout, PlanePoint onBoard) {
    std::optional<NearestComponent> nearest;
    for (size_t i = 0; i < layout.components.size(); ++i) {
        const BoardComponent& c = layout.components[i];
        const double d = std::hypot(c.x - onBoard.x, c.y - onBoard.y);
        if (!nearest || d < nearest->distance) {
            nearest = NearestComponent{static_cast<int>(i), d};
        }
    }
    return nearest;
}

}  // namespace corvane::sim
