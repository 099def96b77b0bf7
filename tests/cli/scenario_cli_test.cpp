// corvane-cli simulate --script: an operator's session replayed on the
// simulated machine, and the faults a plant meets, each cleared the way an
// operator clears it. Every run is judged by what the simulated machine made:
// each board gets every component once and in program order.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "run_cli.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A mark, a break, a tall component (its chain request waits for the next
// record), a "continue" that only parks the platform, and the closing "stop"
// (record 9).
constexpr const char* kProgram =
    "No.,X,Y,Angle,Station,Footprint,element's Name,Direction,Width,Height,Command,Batch number\n"
    "1,10.000,10.000,0.000,1,,,,2.5,0.000,mark,\n"
    "2,20.000,15.000,0.000,2,R-0207,R1,N,7.5,3.000,check,\n"
    "3,35.000,15.000,90.000,12,C-0505,C1,E,5.0,12.000,check,\n"
    "4,40.000,18.000,0.000,6,R-0207,R9,N,7.5,3.000,break,\n"
    "5,50.000,20.000,-45.000,5,D-DO41,D1,S,5.0,4.000,uncheck,\n"
    "6,55.000,20.000,0.000,1,,,,2.5,0.000,continue,\n"
    "7,60.000,20.000,0.000,3,R-0207,R2,N,10.0,3.000,check,\n"
    "8,90.000,35.000,0.000,11,C-0505,C2,E,5.0,6.000,check,\n"
    "9,0.000,0.000,0.000,1,,,,2.5,0.000,stop,\n";

const std::vector<int> kStations = {2, 12, 5, 3, 11};

class ScenarioCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshDirectory(::testing::UnitTest::GetInstance()->current_test_info()->name());
        program_ = dir_ + "/program.csv";
        std::ofstream(program_) << kProgram;
    }
    void TearDown() override { fs::remove_all(dir_); }

    CliResult run(const std::string& script, std::vector<std::string> args) {
        const std::string file = dir_ + "/script.txt";
        std::ofstream(file) << script;
        args.insert(args.begin(), {"simulate", program_, "--script", file, "--json"});
        return runCli(args, {"CORVANE_HOME=" + dir_});
    }
    json simulate(const std::string& script, std::vector<std::string> args = {}) {
        const CliResult r = run(script, std::move(args));
        EXPECT_EQ(r.exitCode, 0) << r.err;
        try {
            return json::parse(r.out);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what() << "\n" << r.out << "\n" << r.err;
            return json::object();
        }
    }

    // Every board complete, once, in program order, and each delivered.
    static void expectBoards(const json& j, int boards, bool delivered = true) {
        EXPECT_EQ(j["outcome"], "complete") << j["events"].dump(1);
        EXPECT_EQ(j["boards_produced"], boards);
        if (delivered) {
            EXPECT_EQ(j["boards_delivered"], boards);
        }
        ASSERT_EQ(j["insertions"].size(), static_cast<size_t>(boards)) << j["insertions"].dump();
        for (const auto& board : j["insertions"]) EXPECT_EQ(board.get<std::vector<int>>(), kStations);
        EXPECT_EQ(j["inserted"], boards * static_cast<int>(kStations.size()));
        EXPECT_EQ(j["script_waiting"], json::array());
    }

    static std::vector<std::string> whats(const json& j) {
        std::vector<std::string> out;
        for (const auto& e : j["events"]) out.push_back(e["what"]);
        return out;
    }
    static bool happened(const json& j, const std::string& what) {
        const auto all = whats(j);
        return std::find(all.begin(), all.end(), what) != all.end();
    }

    std::string dir_;
    std::string program_;
};

}  // namespace

TEST_F(ScenarioCli, BoardsAddedWhileStoppedAreBuiltCompleteAndCountedOnce) {
    // Two boards planned; after the first the operator stops and plans four.
    const json more = simulate("on board 1 stop; planned 4\n", {"--boards", "2"});
    expectBoards(more, 4);
    const auto events = whats(more);
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[1], "board 1 finished");
    EXPECT_EQ(events[2], "stop");
    EXPECT_EQ(events[3], "planned 4");
    for (const auto& e : more["events"]) EXPECT_GE(e["t"].get<double>(), 0.0);

    // Stopped on the closing record of the last planned board: the board is
    // finished there, and the second one is a new board, not the same again.
    const json closing = simulate("on record 9 stop; planned 2\n", {"--boards", "1"});
    expectBoards(closing, 2);
    std::ifstream report(closing["report_file"].get<std::string>());
    const std::string text{std::istreambuf_iterator<char>(report), std::istreambuf_iterator<char>()};
    EXPECT_NE(text.find("Number produced: big board: 2"), std::string::npos) << text;

    // While the machine runs the planned count cannot be changed.
    const json running = simulate("on record 3 planned 5\n");
    expectBoards(running, 1);
    EXPECT_TRUE(happened(running, "planned 5: refused, Modify is disabled while the machine runs"));
}

TEST_F(ScenarioCli, EmergencyStopMidBoardThenResetAndTheStartButton) {
    const json j = simulate("on record 5 em-stop; reset; button start\n", {"--boards", "2"});
    expectBoards(j, 2);
    EXPECT_TRUE(happened(j, "reset done"));
    // The machine's own Start button started it again, not the operator's
    // window.
    const auto events = whats(j);
    const auto button = std::find(events.begin(), events.end(), "button start");
    ASSERT_NE(button, events.end());
    EXPECT_EQ(std::count(button, events.end(), "operator: start"), 0);
}

TEST_F(ScenarioCli, InsertionFaultsAreRepeatedWhereTheyHappened) {
    // CTA stuck away from its origin, a jammed forfex, a forfex seat that does
    // not come down: each alarm stops the machine at the step that failed and
    // Start repeats that step once the fault is gone.
    const json j = simulate(
        "on record 2 fault input=9:inactive\n"
        "on alarm 10 clear input; alarm-reset; start\n"
        "on record 3 fault jam=forfex\n"
        "on alarm 4 clear jam; alarm-reset; start\n"
        "on record 7 fault jam=forfex-seat\n"
        "on alarm 3 clear jam; alarm-reset; start\n",
        {"--boards", "2"});
    expectBoards(j, 2);
    EXPECT_EQ(j["alarms"], json::array({10, 4, 3, 0}));
}

TEST_F(ScenarioCli, TransportAndChainFaultsRecoverWithoutLosingABoard) {
    const json chain = simulate(
        "on record 2 fault input=12:inactive\n"   // distributor heads not back
        "on alarm 19 clear input; alarm-reset; start\n"
        "on record 8 fault input=21:inactive\n"   // unload lift not at its origin
        "on alarm 12 clear input; alarm-reset; start\n"
        "on board 1 fault input=14:inactive\n"    // the board fixing not closed
        "on alarm 16 clear input; alarm-reset; start\n"
        "on board 2 fault input=19:inactive\n"    // load lift not at its origin
        "on alarm 11 clear input; alarm-reset; start\n",
        {"--boards", "3"});
    expectBoards(chain, 3);
    EXPECT_EQ(chain["alarms"], json::array({19, 12, 16, 11, 0}));

    // A board that reaches the workdesk only after the load time-out is the
    // board being loaded: it is inserted, not sent on empty.
    const json belts = simulate(
        "on state 3 fault input=13:inactive\n"
        "on alarm 15 clear input; alarm-reset; start\n"
        "on state 4 fault input=17:inactive\n"
        "on alarm 17 clear input; alarm-reset; start\n"
        "on board 2 fault jam=unload-lift\n"
        "on alarm 14 clear jam; alarm-reset; start\n",
        {"--boards", "3"});
    expectBoards(belts, 3);
    EXPECT_EQ(belts["alarms"], json::array({15, 17, 14, 0}));
}

TEST_F(ScenarioCli, TransportModesAndUncheckedSensors) {
    // Not Load: the operator lays the boards on the workdesk by hand; one
    // forgotten board is "Workdesk no pcb".
    const json notLoad = simulate("on alarm 18 clear input; alarm-reset; start\n",
                                  {"--boards", "2", "--load", "not-load", "--fault", "input=13:inactive"});
    expectBoards(notLoad, 2, false);
    EXPECT_EQ(notLoad["alarms"], json::array({18, 0}));
    EXPECT_EQ(notLoad["boards_delivered"], 0);

    // Just through pcb: boards pass without a component until the operator
    // stops the machine.
    const json through = simulate("at 40 stop; operator off\n", {"--load", "through"});
    EXPECT_EQ(through["outcome"], "stopped");
    EXPECT_GE(through["boards_delivered"].get<int>(), 3);
    EXPECT_EQ(through["inserted"], 0);
    EXPECT_EQ(through["boards_produced"], 0);

    // Stations and leads not checked: an empty feeder and missed leads raise
    // no alarm, and the board simply lacks that station's component.
    const json unchecked = simulate("", {"--stations", "uncheck", "--check", "uncheck", "--fault",
                                         "feeder-empty=12", "--fault", "lead-fail=1"});
    EXPECT_EQ(unchecked["outcome"], "complete");
    EXPECT_EQ(unchecked["alarms"], json::array({0}));
    EXPECT_EQ(unchecked["insertions"][0].get<std::vector<int>>(), (std::vector<int>{2, 5, 3, 11}));
    EXPECT_EQ(unchecked["failures"], 0);
}

TEST_F(ScenarioCli, AMalformedLineIsRefusedWithItsNumber) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"at 5 start\nat soon stop\n", "line 2: 'at' needs a time in seconds"},
        {"# comment\n\non board 0 stop\n", "line 3: 'on board' needs a number of 1 or more"},
        {"on alarm 26 stop\n", "line 1: 'on alarm' needs a code 0..25"},
        {"on record 2 strat\n", "line 1: unknown action 'strat'"},
        {"on record 2 stop;; start\n", "line 1: an empty action"},
        {"at 1 button reset\n", "line 1: button is start, stop, em-stop, h-return or forfex-manual"},
        {"at 1 fault meteor\n", "line 1: unknown fault 'meteor'"},
        {"at 1 planned many\n", "line 1: planned needs a whole number"},
        {"every 5 s stop\n", "line 1: a line starts with 'at' or 'on'"},
        {"at 3\n", "line 1: no action"},
    };
    for (const auto& [script, message] : cases) {
        const CliResult r = run(script, {});
        EXPECT_EQ(r.exitCode, 1) << script;
        EXPECT_NE(r.err.find(message), std::string::npos) << script << "\n" << r.err;
        EXPECT_TRUE(r.out.empty()) << script;
    }
    const CliResult missing = runCli({"simulate", program_, "--script", dir_ + "/none.txt"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("none.txt: cannot read it"), std::string::npos) << missing.err;
}
