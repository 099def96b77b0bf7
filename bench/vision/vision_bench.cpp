// Figures of the mark detection: milliseconds per detection on a whole
// 752 x 480 frame and in one search region, beside the same steps written
// plainly with OpenCV (a new grey image per call, the whole frame thresholded,
// then the region), and the latency from a snap request to a detection
// result on the simulated camera.
//
// Usage: vision_bench [detections per case]
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/message_box.h"
#include "sim/machine/board_camera.h"
#include "sim/machine/board_picture.h"
#include "sim/machine/simulated_machine.h"
#include "vision/camera_view.h"
#include "vision/circle_detector.h"
#include "vision/search_regions.h"

namespace {

using Clock = std::chrono::steady_clock;
using corvane::vision::MatchingParameters;

const MatchingParameters kMatching{15, 25, 80};

// The machine's picture of a board with a mark and three footprints in view.
corvane::sim::BoardSceneConfig benchScene() {
    corvane::sim::BoardSceneConfig scene;
    scene.layout.marks = {{100.0, 20.0}};
    scene.layout.components = {
        {95.0, 17.0, 2.5, 0}, {104.0, 23.0, 5.0, 45}, {103.0, 16.0, 7.5, 90}};
    return scene;
}

cv::Mat benchFrame() {
    corvane::sim::CameraSnapshot snapshot;
    snapshot.platform = {100.0, 20.0};
    snapshot.lightOn = true;
    snapshot.boardOnWorkdesk = true;
    snapshot.scene = std::make_shared<corvane::sim::BoardSceneConfig>(benchScene());
    cv::Mat bgr(480, 752, CV_8UC3);
    corvane::sim::renderBoardPicture(snapshot, 1, bgr.cols, bgr.rows, bgr.data);
    cv::Mat grey;
    cv::cvtColor(bgr, grey, cv::COLOR_BGR2GRAY);
    return grey;
}

// The detection steps as one writes them with OpenCV at first sight.
size_t plainDetection(const cv::Mat& frame, cv::Rect area, const MatchingParameters& p) {
    cv::Mat grey = frame.clone();
    cv::threshold(grey, grey, p.threshold, 255, cv::THRESH_BINARY);
    cv::Mat roi = grey(area);
    const int border = cv::BORDER_CONSTANT | cv::BORDER_ISOLATED;
    for (int i = 0; i < 4; ++i) {
        cv::dilate(roi, roi, cv::Mat(), cv::Point(-1, -1), 1, border);
        cv::erode(roi, roi, cv::Mat(), cv::Point(-1, -1), 1, border);
    }
    cv::bitwise_not(roi, roi);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(roi, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE, area.tl());
    size_t kept = 0;
    for (const auto& c : contours) {
        if (c.size() < 6) {
            continue;
        }
        const cv::RotatedRect box = cv::fitEllipse(c);
        kept += corvane::vision::blobFits(box.size.width, box.size.height, p) ? 1 : 0;
    }
    return kept;
}

struct Figures {
    double median = 0;
    double p90 = 0;
    double worst = 0;
};

Figures figuresOf(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[ms.size() * 9 / 10], ms.back()};
}

template <typename F>
Figures timeEach(int n, F&& f) {
    std::vector<double> ms;
    for (int i = 0; i < n; ++i) {
        const auto t = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    }
    return figuresOf(ms);
}

// Two ways of doing the same, timed in turns so that neither gets the warmer
// cache or the faster clock of the processor.
template <typename A, typename B>
std::pair<Figures, Figures> timeInTurns(int n, A&& a, B&& b) {
    std::vector<double> msA;
    std::vector<double> msB;
    auto once = [](auto& f, std::vector<double>& ms) {
        const auto t = Clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
    };
    for (int i = 0; i < n; ++i) {
        if (i % 2 == 0) {
            once(a, msA);
            once(b, msB);
        } else {
            once(b, msB);
            once(a, msA);
        }
    }
    return {figuresOf(msA), figuresOf(msB)};
}

void print(const char* what, const Figures& f) {
    std::printf("  %-44s median %7.3f ms  p90 %7.3f ms  worst %7.3f ms\n", what, f.median, f.p90,
                f.worst);
}

int snapLatency(int n) {
    using namespace corvane;
    platform::setMessageBoxSink([](const platform::MessageBoxRequest& r) {
        std::fprintf(stderr, "message: %s\n", r.text.c_str());
        return true;
    });
    sim::SimulatedMachine& machine = sim::SimulatedMachine::instance();
    sim::MachineConfig config;
    config.scene = benchScene();
    machine.reset(config);
    sim::mountBoardCamera(machine);
    InitMotionCards();
    BuildAxes();
    BuildIoTables();
    EnsureOutput(output(kOutCameraLight), true);
    machine.placeBoardOnWorkdesk();
    MoveLine(axis(kAxisX), 95.0, axis(kAxisY), 25.0, true, 50, 200);
    axis(kAxisX).WaitDone(30);
    axis(kAxisY).WaitDone(30);
    vision::CameraView::Hooks hooks;
    hooks.acceptAdapter = sim::isBoardCameraAdapter;
    vision::CameraView view(hooks);
    if (!view.openCamera()) {
        return 1;
    }
    std::vector<vision::CircleCandidate> found;
    int failures = 0;
    const Figures f = timeEach(n, [&] {
        failures += view.detectCircles(vision::kDetectCentre, kMatching, found) ? 0 : 1;
    });
    print("snap request to result (region C)", f);
    std::printf("  snaps without a frame within 0.4 s: %d of %d\n", failures, n);
    platform::setMessageBoxSink(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;
    const cv::Mat frame = benchFrame();
    const cv::Rect whole(0, 0, frame.cols, frame.rows);
    const cv::Rect region(336, 200, 80, 80);
    corvane::vision::CircleDetector detector;
    std::printf("vision_bench: %d detections per case, %dx%d frame, %zu blobs found in it\n", n,
                frame.cols, frame.rows, detector.detect(frame, whole, kMatching).size());
    for (const auto& [what, area] :
         {std::pair{"a whole frame", whole}, std::pair{"one region (80 x 80)", region}}) {
        std::printf("detection in %s:\n", what);
        const auto [ours, plain] = timeInTurns(
            n, [&] { detector.detect(frame, area, kMatching); },
            [&] { plainDetection(frame, area, kMatching); });
        print("detector", ours);
        print("plain OpenCV steps", plain);
    }
    std::printf("on the simulated camera (in process, clock at real time):\n");
    return snapLatency(std::max(10, n / 4));
}
