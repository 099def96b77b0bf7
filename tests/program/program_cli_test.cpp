// corvane-cli program and stations as scripts use them: a real process, its
// output and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "run_cli.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const char* const kCsv =
    "No,X,Y,Angle,Station,Footprint,element's Name,Direction,Width,Height,Command,Batch number\n"
    "1,10.5,20,45,3,TO-92,\"R1, 10k\",L,7.50,4,插件检测,00123\n"
    "2,1,2,0,3,,R1,,2.5,0,check,123\n"
    "3,1,2,0,3,,R1,,2.5,0,uncheck,123\n"
    "4,5,5,0,4,,C2,,5,0,mark,\n";

}  // namespace

TEST(ProgramCli, ShowPrintsTheRecordsAsTheMachineReadsThem) {
    const fs::path dir = freshDirectory("cli-show");
    writeFile(dir / "p.csv", kCsv);
    const CliResult en = runCli({"program", "show", (dir / "p.csv").string(), "--json"});
    ASSERT_EQ(en.exitCode, 0) << en.err;
    const json j = json::parse(en.out);
    EXPECT_EQ(j["path"], (dir / "p.csv").string());
    ASSERT_EQ(j["records"].size(), 4u);
    EXPECT_EQ(j["records"][0], json({"1", "10.500", "20.000", "45.000", "3", "TO-92", "R1, 10k",
                                     "L", "7.5", "4.000", "check", "00123"}));
    EXPECT_EQ(j["records"][3][10], "mark");

    const CliResult zh =
        runCli({"program", "show", (dir / "p.csv").string(), "--lang", "zh", "--json"});
    ASSERT_EQ(zh.exitCode, 0) << zh.err;
    EXPECT_EQ(json::parse(zh.out)["records"][1][10], "插件检测");
    EXPECT_EQ(json::parse(zh.out)["records"][3][10], "MARK点");
}

TEST(ProgramCli, RefusedFilesPrintTheMessageInTheLanguage) {
    const fs::path dir = freshDirectory("cli-refuse");
    writeFile(dir / "width.csv", "h\n1,0,0,0,1,,,,7.4,0,check,\n");
    CliResult r = runCli({"program", "show", (dir / "width.csv").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "The file format is not valid, the width must be 2.5,3.5,5.0,7.5,10.0\n");
    EXPECT_TRUE(r.out.empty());
    r = runCli({"program", "show", (dir / "width.csv").string(), "--lang=zh"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "文件格式不正确，宽度值只能是2.5，3.5,5.0,7.5,10.0\n");

    writeFile(dir / "station.csv", "h\n1,0,0,0,13,,,,2.5,0,check,\n");
    EXPECT_EQ(runCli({"program", "show", (dir / "station.csv").string()}).err,
              "The file format is not valid,the station  is out of range\n");
    writeFile(dir / "command.csv", "h\n1,0,0,0,1,,,,2.5,0,insert,\n");
    EXPECT_EQ(runCli({"program", "show", (dir / "command.csv").string()}).err,
              "The file format is not valid, the command is not defined\n");
    writeFile(dir / "angle.csv", "h\n1,0,0,90.0001,1,,,,2.5,0,check,\n");
    r = runCli({"program", "show", (dir / "angle.csv").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("row 2"), std::string::npos);
    writeFile(dir / "junk.xls", "this is no workbook");
    EXPECT_EQ(runCli({"program", "show", (dir / "junk.xls").string()}).exitCode, 1);

    EXPECT_EQ(runCli({"program", "show"}).exitCode, 2);
    EXPECT_EQ(runCli({"program", "show", "a.xls", "--lang", "fr"}).exitCode, 2);
    EXPECT_EQ(runCli({"program", "frobnicate"}).exitCode, 2);
    EXPECT_EQ(runCli({"program", "convert", "a.xls", "b.txt"}).exitCode, 2);
}

TEST(ProgramCli, ConvertBothWaysAddsTheClosingRecordOnce) {
    const fs::path dir = freshDirectory("cli-convert");
    writeFile(dir / "p.csv", kCsv);
    // The stop position comes from the program directory's machine.wps.
    ASSERT_EQ(runCli({"params", "set", (dir / "machine.wps").string(), "xy_stop_position.0=150",
                      "xy_stop_position.1=75.5"})
                  .exitCode,
              0);
    const std::vector<std::string> home{"CORVANE_HOME=" + dir.string()};
    CliResult r =
        runCli({"program", "convert", (dir / "p.csv").string(), (dir / "p.xls").string()}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runCli({"program", "convert", (dir / "p.xls").string(), (dir / "again.xls").string()},
               home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = runCli({"program", "convert", (dir / "again.xls").string(), (dir / "back.csv").string()},
               home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string csv = readFile(dir / "back.csv");
    EXPECT_EQ(csv,
              "No,X,Y,Angle,Station,Footprint,element's Name,Direction,Width,Height,Command,Batch "
              "number\n"
              "1,10.500,20.000,45.000,3,TO-92,\"R1, 10k\",L,7.5,4.000,check,00123\n"
              "2,1.000,2.000,0.000,3,,R1,,2.5,0.000,check,123\n"
              "3,1.000,2.000,0.000,3,,R1,,2.5,0.000,uncheck,123\n"
              "4,5.000,5.000,0.000,4,,C2,,5.0,0.000,mark,\n"
              "5,150.000,75.500,0.000,1,,,,2.5,0.000,stop,\n");

    writeFile(dir / "bad.csv", "h\n1,0,0,0,1,,,,7.4,0,check,\n");
    r = runCli({"program", "convert", (dir / "bad.csv").string(), (dir / "bad.xls").string()},
               home);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir / "bad.xls"));
    writeFile(dir / "empty.csv", "header only\n");
    r = runCli({"program", "convert", (dir / "empty.csv").string(), (dir / "empty.xls").string()},
               home);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "No plug-in data can be saved.\n");
}

TEST(StationsCli, TwelveRowsAsJson) {
    const fs::path dir = freshDirectory("cli-stations");
    writeFile(dir / "p.csv", kCsv);
    const std::vector<std::string> home{"CORVANE_HOME=" + dir.string()};
    CliResult r = runCli({"stations", (dir / "p.csv").string(), "--json"}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    json j = json::parse(r.out);
    ASSERT_EQ(j["stations"].size(), 12u);
    EXPECT_EQ(j["stations"][2], json({{"station", 3},
                                      {"name", "R1"},
                                      {"direction", ""},
                                      {"width", "2.5"},
                                      {"counts", 2},
                                      {"height", "0.000"},
                                      {"batch", ""}}));
    EXPECT_EQ(j["stations"][3]["counts"], 0);  // a mark record does not count
    EXPECT_EQ(j["stations"][0]["station"], 1);

    r = runCli({"stations", (dir / "p.csv").string(), "--json", "--verification"}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json::parse(r.out)["stations"][2]["batch"], "123");

    ASSERT_EQ(runCli({"params", "set", (dir / "machine.wps").string(), "material_verification=1"})
                  .exitCode,
              0);
    r = runCli({"stations", (dir / "p.csv").string()}, home);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Batch number"), std::string::npos);
    EXPECT_NE(r.out.find("3\tR1\t\t2.5\t2\t0.000\t123\n"), std::string::npos) << r.out;

    EXPECT_EQ(runCli({"stations"}).exitCode, 2);
    writeFile(dir / "bad.csv", "h\n1,0,0,0,14,,,,2.5,0,check,\n");
    EXPECT_EQ(runCli({"stations", (dir / "bad.csv").string()}, home).exitCode, 1);
}
