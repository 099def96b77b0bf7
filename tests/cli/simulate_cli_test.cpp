// corvane-cli simulate: whole runs on the simulated machine, with faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "run_cli.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Marks, a break, components from stations far apart on the chain and a
// closing "stop".
constexpr const char* kProgram =
    "No.,X,Y,Angle,Station,Footprint,element's Name,Direction,Width,Height,Command,Batch number\n"
    "1,10.000,10.000,0.000,1,,,,2.5,0.000,mark,\n"
    "2,20.000,15.000,0.000,2,R-0207,R1,N,7.5,3.000,check,\n"
    "3,35.000,15.000,90.000,12,C-0505,C1,E,5.0,6.000,check,\n"
    "4,40.000,18.000,0.000,6,R-0207,R9,N,7.5,3.000,break,\n"
    "5,50.000,20.000,-45.000,5,D-DO41,D1,S,5.0,4.000,uncheck,\n"
    "6,60.000,20.000,0.000,3,R-0207,R2,N,10.0,3.000,check,\n"
    "7,90.000,35.000,0.000,11,C-0505,C2,E,5.0,6.000,check,\n"
    "8,100.000,40.000,0.000,1,,,,2.5,0.000,mark,\n"
    "9,0.000,0.000,0.000,1,,,,2.5,0.000,stop,\n";

const std::vector<int> kStations = {2, 12, 5, 3, 11};

class SimulateCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        program_ = dir_ + "/program.csv";
        std::ofstream(program_) << kProgram;
    }
    void TearDown() override { fs::remove_all(dir_); }

    json simulate(std::vector<std::string> args) {
        args.insert(args.begin(), {"simulate", program_});
        args.push_back("--json");
        const CliResult r = runCli(args, {"CORVANE_HOME=" + dir_});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        try {
            return json::parse(r.out);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what() << "\n" << r.out << "\n" << r.err;
            return json::object();
        }
    }

    std::string dir_;
    std::string program_;
};

}  // namespace

TEST_F(SimulateCli, ThreeBoardsGetEveryComponentInProgramOrder) {
    const json j = simulate({"--boards", "3"});
    EXPECT_EQ(j["outcome"], "complete");
    EXPECT_EQ(j["boards_produced"], 3);
    EXPECT_EQ(j["boards_delivered"], 3);
    EXPECT_EQ(j["alarms"], json::array({0}));
    ASSERT_EQ(j["insertions"].size(), 3u);
    for (const auto& board : j["insertions"]) EXPECT_EQ(board.get<std::vector<int>>(), kStations);
    EXPECT_EQ(j["inserted"], 15);
    EXPECT_EQ(j["successes"], 15);
    EXPECT_EQ(j["failures"], 0);
    EXPECT_EQ(j["stations"][1]["attempted"], 3);   // station 2
    EXPECT_EQ(j["stations"][11]["succeeded"], 3);  // station 12
    EXPECT_EQ(j["footprints"]["R-0207"]["attempted"], 6);
    EXPECT_GT(j["components_per_hour"].get<double>(), 0);
    ASSERT_TRUE(j["report_file"].is_string());
    std::ifstream report(j["report_file"].get<std::string>());
    const std::string text{std::istreambuf_iterator<char>(report), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("Number of inserts  15"), std::string::npos) << text;
    EXPECT_NE(text.find("Number produced: big board: 3"), std::string::npos) << text;
    EXPECT_NE(text.find("Program Name: " + program_), std::string::npos) << text;
}

TEST_F(SimulateCli, FaultsGiveTheirAlarms) {
    const json empty = simulate({"--fault", "feeder-empty=12"});
    EXPECT_EQ(empty["outcome"], "alarm");
    EXPECT_EQ(empty["alarms"], json::array({5}));
    EXPECT_EQ(empty["last_status"], "Station error:   Station Error :12: Element's name:C1: Dirction:E");

    const json cta = simulate({"--fault", "jam=cta"});
    EXPECT_EQ(cta["alarms"], json::array({9}));
    EXPECT_EQ(cta["last_status"], "CTA put out timeout");

    const json lift = simulate({"--fault", "jam=load-lift"});
    EXPECT_EQ(lift["alarms"], json::array({13}));

    const json twoBoards = simulate({"--fault", "double-board"});
    EXPECT_EQ(twoBoards["alarms"], json::array({25}));

    const json door = simulate({"--fault", "door-open-at=45"});
    EXPECT_EQ(door["alarms"], json::array({24}));
    EXPECT_EQ(door["last_status"], "The safe door was opened");
}

TEST_F(SimulateCli, LeadFailuresRaiseTwentyTwoThenTwentyThree) {
    const json j = simulate({"--fault", "lead-fail=1"});
    EXPECT_EQ(j["outcome"], "complete");
    // Every checked insertion misses both leads; the "uncheck" one is not judged.
    EXPECT_EQ(j["alarms"], json::array({22, 23, 22, 23, 22, 23, 22, 23, 0}));
    EXPECT_EQ(j["failures"], 4);
    EXPECT_EQ(j["successes"], 1);
}

TEST_F(SimulateCli, ANextMachineThatStopsAskingLeavesTheMachineWaiting) {
    const json j = simulate({"--fault", "next-machine=off", "--boards", "2"});
    EXPECT_EQ(j["outcome"], "stalled");
    EXPECT_EQ(j["alarms"], json::array());
    EXPECT_EQ(j["boards_produced"], 2);
    EXPECT_EQ(j["boards_delivered"], 0);
    EXPECT_EQ(j["last_status"], "The UnloadPcbLift wait the need board of next section");
}

TEST_F(SimulateCli, WithRecoveryEveryPlannedBoardIsMadeOnce) {
    const std::vector<std::pair<const char*, int>> faults = {
        {"feeder-empty=3", 5}, {"jam=unload-lift", 14}, {"double-board", 25}, {"em-stop-at=70", -1}};
    for (const auto& [fault, alarm] : faults) {
        const json j = simulate({"--fault", fault, "--boards", "2", "--recover"});
        EXPECT_EQ(j["outcome"], "complete") << fault;
        if (alarm >= 0) {
            ASSERT_FALSE(j["alarms"].empty()) << fault;
            EXPECT_EQ(j["alarms"][0], alarm) << fault;
        }
        EXPECT_EQ(j["boards_produced"], 2) << fault;
        EXPECT_EQ(j["boards_delivered"], 2) << fault;
        ASSERT_EQ(j["insertions"].size(), 2u) << fault;
        for (const auto& board : j["insertions"]) EXPECT_EQ(board.get<std::vector<int>>(), kStations) << fault;
        EXPECT_EQ(j["inserted"], 10) << fault;
    }
}

TEST_F(SimulateCli, FullStepAndSequenceModes) {
    const json full = simulate({"--mode", "full-step"});
    EXPECT_EQ(full["outcome"], "complete");
    EXPECT_EQ(full["insertions"][0].get<std::vector<int>>(), kStations);
    const json sequence = simulate({"--plugin", "sequence"});
    EXPECT_EQ(sequence["outcome"], "complete");
    EXPECT_EQ(sequence["inserted"], 0);
    EXPECT_EQ(sequence["insertions"][0], json::array());
}

TEST_F(SimulateCli, BadInputIsRefused) {
    EXPECT_EQ(runCli({"simulate"}).exitCode, 2);
    EXPECT_EQ(runCli({"simulate", program_, "--mode", "sideways"}).exitCode, 2);
    EXPECT_EQ(runCli({"simulate", program_, "--speed", "120"}).exitCode, 2);
    EXPECT_EQ(runCli({"simulate", program_, "--fault", "meteor"}).exitCode, 2);
    EXPECT_EQ(runCli({"simulate", program_, "--fault", "lead-fail=2"}).exitCode, 2);
    const CliResult missing = runCli({"simulate", dir_ + "/nothing.xls"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_FALSE(missing.err.empty());
    std::ofstream(dir_ + "/bad.csv") << "No.,X,Y,Angle,Station,Footprint,N,D,Width,Height,Command,Batch\n"
                                        "1,1,1,0,1,,,,7.4,0,check,\n";
    const CliResult refused = runCli({"simulate", dir_ + "/bad.csv"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_FALSE(refused.err.empty());
}
