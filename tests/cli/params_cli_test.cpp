// corvane-cli params: the parameter file as a technician's script edits it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "run_cli.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

void putWord(std::string& bytes, size_t offset, int32_t v) { std::memcpy(bytes.data() + offset, &v, 4); }
void putDouble(std::string& bytes, size_t offset, double v) { std::memcpy(bytes.data() + offset, &v, 8); }

}  // namespace

TEST(ParamsCli, SetWritesA3288ByteFileThatReloadsToTheSameValues) {
    const fs::path file = fs::path(freshDirectory("params-set")) / "machine.wps";
    const CliResult set = runCli({"params", "set", file.string(), "xy_stop_position.0=12.5",
                                  "axes.2.max_speed=650", "angle_compensation.90.1=0.02",
                                  "first_station_to_cta=29", "h_down_delay_ms=25"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_EQ(fs::file_size(file), 3288u);

    const CliResult show = runCli({"params", "show", file.string(), "--json"});
    ASSERT_EQ(show.exitCode, 0) << show.err;
    const json j = json::parse(show.out);
    EXPECT_TRUE(j["loaded"].get<bool>());
    EXPECT_DOUBLE_EQ(j["xy_stop_position"][0].get<double>(), 12.5);
    EXPECT_DOUBLE_EQ(j["axes"][2]["max_speed"].get<double>(), 650);
    EXPECT_EQ(j["axes"][2]["name"], "D1");
    EXPECT_DOUBLE_EQ(j["angle_compensation"][90][1].get<double>(), 0.02);
    EXPECT_EQ(j["angle_compensation"].size(), 181u);
    EXPECT_EQ(j["first_station_to_cta"], 29);
    EXPECT_EQ(j["h_down_delay_ms"], 25);
    EXPECT_EQ(j["axes"].size(), 7u);

    // A second set keeps the first one's values.
    ASSERT_EQ(runCli({"params", "set", file.string(), "height_h1=-20"}).exitCode, 0);
    const json again = json::parse(runCli({"params", "show", file.string(), "--json"}).out);
    EXPECT_DOUBLE_EQ(again["xy_stop_position"][0].get<double>(), 12.5);
    EXPECT_DOUBLE_EQ(again["height_h1"].get<double>(), -20);
}

TEST(ParamsCli, BadKeysAndValuesLeaveTheFileUntouched) {
    const fs::path file = fs::path(freshDirectory("params-bad")) / "machine.wps";
    ASSERT_EQ(runCli({"params", "set", file.string(), "match_area=44"}).exitCode, 0);
    const std::string before = readFile(file);
    for (const char* bad : {"nonsense=1", "match_area=abc", "match_area=1.5", "head_frame=3",
                            "xy_stop_position.2=1", "xy_stop_position=1", "axes.0.name=Q",
                            "platform_speed=21", "height_p=nan", "height_p=", "=4"}) {
        const CliResult r = runCli({"params", "set", file.string(), "height_h2=3", bad});
        EXPECT_EQ(r.exitCode, 1) << bad;
        EXPECT_FALSE(r.err.empty()) << bad;
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(runCli({"params", "set"}).exitCode, 2);
    EXPECT_EQ(runCli({"params", "frobnicate"}).exitCode, 2);
}

TEST(ParamsCli, MissingOrRefusedFileShowsDefaultsWithTheMessage) {
    const std::string dir = freshDirectory("params-missing");
    const CliResult missing = runCli({"params", "show", dir + "/machine.wps", "--json"});
    EXPECT_EQ(missing.exitCode, 0);
    EXPECT_NE(missing.err.find(dir + "/machine.wps open Failure!"), std::string::npos) << missing.err;
    const json j = json::parse(missing.out);
    EXPECT_FALSE(j["loaded"].get<bool>());
    EXPECT_EQ(j["first_station_to_cta"], 27);
    EXPECT_DOUBLE_EQ(j["x_ratio"].get<double>(), 33.698);

    // Default file: machine.wps of the program directory.
    const CliResult byHome = runCli({"params", "show", "--json"}, {"CORVANE_HOME=" + dir});
    EXPECT_NE(byHome.err.find(dir + "/machine.wps open Failure!"), std::string::npos) << byHome.err;

    writeFile(dir + "/junk.wps", "not a parameter file at all");
    const CliResult junk = runCli({"params", "show", dir + "/junk.wps", "--json"});
    EXPECT_EQ(junk.exitCode, 0);
    EXPECT_FALSE(json::parse(junk.out)["loaded"].get<bool>());
    // And set refuses to overwrite it.
    EXPECT_EQ(runCli({"params", "set", dir + "/junk.wps", "match_area=50"}).exitCode, 1);
    EXPECT_EQ(readFile(dir + "/junk.wps"), "not a parameter file at all");
}

TEST(ParamsCli, LoaderCorrectionsShowThroughTheCli) {
    const fs::path file = fs::path(freshDirectory("params-fix")) / "machine.wps";
    ASSERT_EQ(runCli({"params", "set", file.string(), "auto_feed_on_failure=1"}).exitCode, 0);
    std::string bytes = readFile(file);
    putDouble(bytes, 8 + 24, -4.0);     // Y step distance negative
    putWord(bytes, 3260, 7);            // head frame
    putDouble(bytes, 3236, 25.0);       // platform speed
    writeFile(file, bytes);
    const json j = json::parse(runCli({"params", "show", file.string(), "--json"}).out);
    EXPECT_TRUE(j["loaded"].get<bool>());
    EXPECT_DOUBLE_EQ(j["axes"][1]["step_distance"].get<double>(), 4.0);
    EXPECT_EQ(j["head_frame"], 2);
    EXPECT_DOUBLE_EQ(j["platform_speed"].get<double>(), 20.0);
    EXPECT_EQ(j["auto_feed_on_failure"], 0);

    // The older, 8 bytes shorter layout.
    bytes.resize(3280);
    putWord(bytes, 4, 3268);
    putWord(bytes, 3276, 119);
    writeFile(file, bytes);
    const json old = json::parse(runCli({"params", "show", file.string(), "--json"}).out);
    EXPECT_TRUE(old["loaded"].get<bool>());
    EXPECT_EQ(old["material_verification"], 0);
}
