// corvane-cli calibrate: the automatic calibration finds the simulated
// camera's true scale.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli/run_cli.h"

namespace {

using nlohmann::json;

TEST(CalibrateCli, RecoversTheTrueScaleWithinOnePercentFrom25To45PixelsPerMm) {
    for (const char* scale : {"25", "45"}) {
        SCOPED_TRACE(scale);
        const std::string home = "CORVANE_HOME=" + freshDirectory("calibrate");
        const CliResult r = runCli({"calibrate", "--camera-scale", scale, "--json"}, {home});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const json j = json::parse(r.out);
        const double s = std::stod(scale);
        EXPECT_DOUBLE_EQ(j["camera_scale"].get<double>(), s);
        for (const char* ratio : {"x_ratio", "y_ratio"}) {
            const double truth = j["true"][ratio].get<double>();
            EXPECT_NEAR(truth, s, 0.01 * s) << ratio;
            EXPECT_NEAR(j[ratio].get<double>(), truth, 0.01 * truth) << ratio;
        }
        // The offsets are the camera's slight rotation and skew, a pixel or so.
        for (const char* offset : {"x_offset", "y_offset"}) {
            EXPECT_NEAR(j[offset].get<double>(), j["true"][offset].get<double>(), 0.2) << offset;
        }
        EXPECT_LT(j["scale_error_percent"].get<double>(), 1.0);
    }
}

TEST(CalibrateCli, RefusesAScaleOutsideItsRange) {
    const CliResult r = runCli({"calibrate", "--camera-scale", "4"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("--camera-scale"), std::string::npos) << r.err;
}

}  // namespace
