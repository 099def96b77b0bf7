// Figures of the camera's receive path: nanoseconds per packet put in place
// and milliseconds per image from packets to the converted, queued image,
// with OpenCV's Bayer-to-BGR conversion of the same raw image beside them.
//
// Usage: ostrel-receive-bench [images per case]
// The frames come from the simulated camera, already in memory: the capture
// library's own cost per packet (about 0.2-0.3 us in block mode) comes on top.
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "camera/stream.h"
#include "sim/camera/camera_model.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
    const char* name;
    const char* model;
    uint16_t sensor;
    int width;
    int height;
    bool gamma;
};

struct Collect : camsim::FrameSink {
    std::vector<ostrel::wire::Frame> frames;
    void emit(std::span<const uint8_t> f) override {
        if (ostrel::wire::classifyFrame(f) == ostrel::wire::FrameKind::ImageData) {
            frames.emplace_back(f.begin(), f.end());
        }
    }
};

// Two consecutive images of the simulated camera (two tags), as frames.
std::vector<std::vector<ostrel::wire::Frame>> cameraImages(const Case& c) {
    camsim::CameraModel camera(*camsim::findModel(c.model));
    const auto t = Clock::now();
    Collect ignored;
    camera.handleRequest(ostrel::wire::commandFrame({}, ostrel::wire::kCaptureArm), t, ignored);
    std::vector<std::vector<ostrel::wire::Frame>> images;
    for (int i = 0; i < 2; ++i) {
        Collect out;
        camera.advance(t + std::chrono::seconds(i), out);
        images.push_back(std::move(out.frames));
    }
    return images;
}

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const Case cases[] = {
        {"752 x 480 mono", "K1M", 0x1313, 752, 480, false},
        {"2592 x 1944 colour", "K6C", 0x1801, 2592, 1944, false},
        {"2592 x 1944 colour + gamma", "K6C", 0x1801, 2592, 1944, true},
        {"3664 x 2748 colour", "K4C", 0x2C01, 3664, 2748, false},
    };
    constexpr double kLinePackets = 81000.0;  // 1042-byte frames on a gigabit line

    std::printf("%-28s %8s %10s %10s %12s %10s %12s %12s\n", "image", "packets", "ns/packet",
                "ms/frame", "packets/s", "x line", "cvtColor 1t", "cvtColor");
    for (const Case& c : cases) {
        static ostrel::Device d;
        d.model = c.model;
        d.sensorId = c.sensor;
        d.width = c.width;
        d.height = c.height;
        d.payload = 1024;
        d.colour = 1;
        d.gammaOn = c.gamma ? 1 : 0;
        d.mirrorMode = 0;
        ostrel::allocateStreamBuffers(d);
        d.stream.gamma = ostrel::buildGammaTable();
        const auto images = cameraImages(c);
        const size_t packets = images[0].size();
        const auto now = Clock::now();

        double placeMs = 0;
        double frameMs = 0;
        for (int r = 0; r < rounds; ++r) {
            const auto& frames = images[static_cast<size_t>(r) % 2];
            const auto start = Clock::now();
            for (size_t i = 0; i + 1 < frames.size(); ++i) {
                ostrel::handleStreamFrame(d, frames[i], now);
            }
            placeMs += msSince(start);
            if (!ostrel::handleStreamFrame(d, frames.back(), now)) {
                std::fprintf(stderr, "%s: the image did not complete\n", c.name);
                return 1;
            }
            frameMs += msSince(start);
        }
        placeMs /= rounds;
        frameMs /= rounds;
        const double nsPerPacket = placeMs * 1e6 / static_cast<double>(packets - 1);
        const double packetsPerSecond = static_cast<double>(packets) / (frameMs / 1000.0);

        // OpenCV on the same raw image, one thread and all threads.
        cv::Mat raw(c.height, c.width, CV_8UC1, ostrel::conversionOf(d) == ostrel::Conversion::None
                                                    ? d.stream.converted.data()
                                                    : d.stream.assembly.data());
        cv::Mat bgr;
        double cv1 = 0;
        double cvN = 0;
        const int threads = cv::getNumThreads();
        for (int t : {1, threads}) {
            cv::setNumThreads(t);
            cv::cvtColor(raw, bgr, cv::COLOR_BayerGB2BGR);
            const auto start = Clock::now();
            for (int r = 0; r < rounds; ++r) {
                cv::cvtColor(raw, bgr, cv::COLOR_BayerGB2BGR);
            }
            (t == 1 ? cv1 : cvN) = msSince(start) / rounds;
        }
        cv::setNumThreads(threads);
        std::printf("%-28s %8zu %10.1f %10.2f %12.0f %10.1f %9.2f ms %9.2f ms\n", c.name, packets,
                    nsPerPacket, frameMs, packetsPerSecond, packetsPerSecond / kLinePackets, cv1,
                    cvN);
    }
    std::printf("(x line: the packets per second the path keeps up with, over a full gigabit line "
                "of %.0f packets per second)\n",
                kLinePackets);
    return 0;
}
