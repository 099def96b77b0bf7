// The board under the simulated camera: its layout (mark points, components
// and their lead holes), where it really lies on the workdesk, the true camera
// (pixel scale, rotation, skew) and the true distance from the camera to the
// insertion shaft, with the geometry that relates them.
//
// Coordinates. Everything is in platform millimetres: a point of the board
// "lies at" (x, y) when the platform must stand at (x, y) for the camera to
// see the point at the centre of its picture (the physical platform position,
// measured from the origin switches). The layout gives the board's nominal
// places; the board really lies at those places moved by BoardOffset.
//
// Camera. With the platform at S, a point lying at F shows at picture point
// p = q - M (F - S), q the picture centre and M the true calibration matrix
// [[xRatio, yOffset], [xOffset, yRatio]]: moving the platform by (X, Y) moves
// every feature by (xRatio X + yOffset Y, xOffset X + yRatio Y) pixels, the
// model the machine's calibration measures. Picture points count columns from
// the left and rows from the picture's top as the machine's camera view shows
// it (see board_picture.h for how that becomes the camera's sensor rows).
//
// Shaft. With the platform at S the insertion shaft stands over the board
// point that lies at S - cameraToShaft: inserting at a point taught with the
// camera at R takes the platform to R + cameraToShaft.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace corvane::sim {

struct PlanePoint {
    double x = 0;
    double y = 0;
};

struct BoardMark {
    double x = 0;  // nominal place, mm
    double y = 0;
};

// A component record of the program: its insertion point, lead pitch and angle.
struct BoardComponent {
    double x = 0;  // insertion point, mm
    double y = 0;
    double width = 2.5;  // lead pitch, mm (2.5, 3.5, 5.0, 7.5, 10.0)
    double angle = 0;    // degrees
};

struct BoardLayout {
    std::vector<BoardMark> marks;
    std::vector<BoardComponent> components;
    double markDiameter = 1.2;  // mm
    double holeDiameter = 1.2;  // mm
};

// Where the board really lies: moved by (dx, dy) mm and turned by `degrees`
// (counter-clockwise in platform coordinates) about its first mark (about the
// origin when it has none).
struct BoardOffset {
    double dx = 0;
    double dy = 0;
    double degrees = 0;
};

// The camera as mounted. The picture direction of an X move is turned by
// rotationDegrees from the picture's columns towards its rows; the direction
// of a Y move leans by skewDegrees from square to it. Pixels are square.
struct CameraTruth {
    double pixelsPerMm = 33.7;
    double rotationDegrees = 0.92;
    double skewDegrees = 1.77;
};

// The four calibration values of a camera (pixels per mm), in the order the
// machine keeps them.
struct TrueCalibration {
    double xRatio = 0;
    double xOffset = 0;
    double yOffset = 0;
    double yRatio = 0;
};
TrueCalibration trueCalibration(const CameraTruth& camera);

// How the picture looks: grey levels, sensor noise and blur. Noise is drawn
// from `seed` and the image number, so the same run gives the same pictures.
struct PictureLook {
    int boardGrey = 190;      // the board's surface
    int workdeskGrey = 120;   // the workdesk when no board lies on it
    int featureGrey = 30;     // marks and holes
    int darkGrey = 6;         // everything while "Camera light" is off
    double noiseSigma = 3.0;  // grey levels
    double blurSigma = 0.7;   // pixels
    uint64_t seed = 1;
};

// Everything the simulated machine knows about the board scene.
struct BoardSceneConfig {
    BoardLayout layout;
    BoardOffset offset;
    CameraTruth camera;
    PictureLook look;
    // Platform X, Y travel from "camera over a point" to "shaft over it", mm.
    std::array<double, 2> cameraToShaft{40.0, -25.0};
};

// Where a nominal board point really lies, and the nominal point of a real place.
PlanePoint boardToWorkdesk(const BoardSceneConfig& scene, PlanePoint nominal);
PlanePoint workdeskToBoard(const BoardSceneConfig& scene, PlanePoint real);

// The lead pitch a record's Width stands for: the first of 2.5, 3.5, 5.0 and
// 7.5 that is greater than |width - 0.5|, else 10.0.
double leadPitch(double width);

// The two lead holes of a component, in nominal board coordinates, placed
// about its insertion point as the machine's hole search expects them (hole
// B is the insertion point at 2.5 mm; at 3.5 mm both holes lie on one side,
// 2.5 and 6.0 mm from it; at 5.0 and 10.0 mm they lie symmetrically; at 7.5 mm
// 2.5 mm before and 5.0 mm beyond it). The line from hole A to hole B shows in
// the picture at the component's angle, measured from the picture's columns
// towards its rows (downwards), whatever the camera's rotation: the head's
// zero turn is aligned with the camera.
struct LeadHoles {
    PlanePoint a;
    PlanePoint b;
};
LeadHoles leadHoles(const CameraTruth& camera, const BoardComponent& component);

// Picture point (columns from the left, rows from the top) at which a point
// lying at `real` shows with the platform at `platform`, for a picture of
// width x height pixels.
PlanePoint picturePoint(const CameraTruth& camera, PlanePoint real, PlanePoint platform, int width,
                        int height);

// What the camera sees at one moment: the physical platform position, whether
// "Camera light" is on and a board lies on the workdesk, and the scene.
struct CameraSnapshot {
    PlanePoint platform;
    bool lightOn = false;
    bool boardOnWorkdesk = false;
    std::shared_ptr<const BoardSceneConfig> scene;
};

// A component that was cut and clinched while a board lay on the workdesk:
// where the insertion shaft stood.
struct Placement {
    int boardId = -1;
    int station = 0;
    int componentId = 0;
    PlanePoint shaft;        // on the workdesk (platform mm, as the board lies)
    PlanePoint onBoard;      // the same point in the board's nominal coordinates
    double headDegrees = 0;  // turn of D1 (physical position x 18 degrees)
    double time = 0;
};
Placement placementAt(const BoardSceneConfig& scene, PlanePoint platform);

// The component of the layout whose insertion point lies nearest to a point
// of the board (nominal coordinates), with the distance in mm.
struct NearestComponent {
    int index = -1;
    double distance = 0;
};
std::optional<NearestComponent> nearestComponent(const BoardLayout& layout, PlanePoint onBoard);

}  // namespace corvane::sim
