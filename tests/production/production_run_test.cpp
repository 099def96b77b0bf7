// Boards through the machine: chain feed, transport and the insertion steps
// on the simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>

#include "machine/io_points.h"
#include "platform/window_messages.h"
#include "production/alarm_texts.h"
#include "production/chain_feed.h"
#include "production/production_settings.h"
#include "production_fixture.h"
#include "stats/production_statistics.h"

using namespace corvane;
using namespace corvane::testing;

namespace {

// Marks, a break and components from stations far apart on the chain.
const std::vector<Step> kProgram = {
    {"mark", 1, 5, 5, 0, 0},
    {"check", 2, 20, 10, 0, 3, "R-0207", "R1"},
    {"check", 11, 30, 12, 90, 6, "C-0505", "C1"},
    {"break", 4, 35, 12},
    {"uncheck", 6, 40, 14, -45, 4, "D-DO41", "D1"},
    {"check", 2, 50, 16, 0, 3, "R-0207", "R2"},
    {"stop", 1, 60, 5, 0, 0},
};

std::vector<int> componentStationsOf(const std::vector<Step>& steps) {
    std::vector<int> stations;
    for (const Step& s : steps) {
        if (std::string(s.command) == "check" || std::string(s.command) == "uncheck") {
            stations.push_back(s.station);
        }
    }
    return stations;
}

}  // namespace

TEST_F(ProductionTest, BoardsGetTheProgramsComponentsInProgramOrder) {
    useProgram(kProgram);
    Console& console = startConsole();
    console.setPlannedCount(2);
    ASSERT_TRUE(resetMachine());
    ASSERT_TRUE(runToCompletion(900));
    runUntil([] { return machine().boardsDelivered() >= 2; }, 20);

    EXPECT_EQ(machineState().BoardsProduced.load(), 2);
    EXPECT_EQ(machine().boardsDelivered(), 2);
    EXPECT_EQ(console.alarmHistory(), std::vector<int>{kAlarmProductionComplete});
    const std::vector<int> expected = componentStationsOf(kProgram);
    const auto boards = machine().boards();
    ASSERT_GE(boards.size(), 2u);
    EXPECT_EQ(boards[0].insertedStations, expected);
    EXPECT_EQ(boards[1].insertedStations, expected);

    // The counts agree with what the head did.
    EXPECT_EQ(console.counters().inserted(), 8);
    EXPECT_EQ(console.statistics().Current().inserts, 8);
    EXPECT_EQ(console.statistics().Current().successes, 8);
    EXPECT_EQ(console.statistics().Current().boardsProduced, 2);
    EXPECT_EQ(console.counters().station(2).attempted, 4);
    EXPECT_EQ(console.counters().station(11).succeeded, 2);
    EXPECT_EQ(console.counters().footprints().at("R-0207").attempted, 4);
    EXPECT_EQ(machine().headDownEvents().size(), 8u);
    EXPECT_EQ(console.view().status, "Complete the production");
    EXPECT_TRUE(console.settings().NeedsReset.load());
}

TEST_F(ProductionTest, SequenceAndInversionsVisitEveryRecordWithoutLoweringTheHead) {
    useProgram(kProgram);
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    // The records the platform visits: the components and the closing record;
    // the unchecked mark is passed over and the break skipped.
    const std::vector<std::pair<double, double>> records = {{20, 10}, {30, 12}, {40, 14}, {50, 16}, {60, 5}};
    auto visited = [&] {
        std::vector<std::pair<double, double>> seen;
        for (const auto& stop : machine().platformStops()) {
            for (const auto& r : records) {
                if (std::abs(stop.x - r.first) < 0.01 && std::abs(stop.y - r.second) < 0.01) {
                    seen.push_back(r);
                }
            }
        }
        return seen;
    };

    console.settings().PlugInMode = kPlugInSequence;
    machine().clearRecords();
    ASSERT_TRUE(runToCompletion(600));
    EXPECT_EQ(visited(), records);
    EXPECT_TRUE(machine().headDownEvents().empty());
    EXPECT_EQ(console.counters().inserted(), 0);
    EXPECT_EQ(machineState().BoardsProduced.load(), 1);

    ASSERT_TRUE(resetMachine());
    console.settings().PlugInMode = kPlugInInversions;
    machine().clearRecords();
    ASSERT_TRUE(runToCompletion(600));
    const std::vector<std::pair<double, double>> reversed(records.rbegin(), records.rend());
    EXPECT_EQ(visited(), reversed);
    EXPECT_TRUE(machine().headDownEvents().empty());
    EXPECT_EQ(machineState().BoardsProduced.load(), 1);
}

TEST_F(ProductionTest, OneStepAdvancesOneStepPerStart) {
    useProgram({{"check", 1, 20, 10}, {"check", 2, 30, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    // The chain is primed in Circle; the second record runs step by step.
    console.setMessageObserver([&](uint32_t message, uintptr_t, intptr_t) {
        if (message == MSG_SHOW_RECORD && machineState().CurrentRecord.load() == 2) {
            console.settings().ProductionMode = kModeOneStep;
        }
    });
    console.Start();
    std::vector<int> steps;
    const double end = platform::Clock::seconds() + 600;
    while (platform::Clock::seconds() < end && machineState().CurrentRecord.load() != 3) {
        runUntil([&] { return productionPaused() ||
                              (machineState().StopRequest.load() && console.chainFeedSuspended() == 1); },
                 5.0);
        if (productionPaused() && machineState().CurrentRecord.load() == 2) {
            steps.push_back(machineState().InsertStep.load());
        }
        if (machineState().StopRequest.load()) console.Start();
    }
    // Each Start ran one step; the step a pause left is where Start went on.
    std::vector<int> expected;
    for (int s = 3; s <= 15; ++s) expected.push_back(s);
    expected.push_back(0);
    EXPECT_EQ(steps, expected);
    console.setMessageObserver(nullptr);
    console.settings().ProductionMode = kModeCircle;
    if (machineState().AlarmCode.load() != 0) {
        ASSERT_TRUE(runToCompletion(600));
    }
    EXPECT_EQ(machine().boards().at(0).insertedStations, (std::vector<int>{1, 2}));
}

TEST_F(ProductionTest, AlarmReachesTheWindowBeforeTheSenderPausesAndStaysShown) {
    useProgram({{"check", 1, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    machine().setCylinderJammed(sim::Cylinder::Cta, true);
    std::atomic<int> suspendedAtAlarm{-1};
    console.setMessageObserver([&](uint32_t message, uintptr_t code, intptr_t) {
        if (message == MSG_ALARM && code == kAlarmCtaPutOut) {
            suspendedAtAlarm = console.productionSuspended();
        }
    });
    console.Start();
    ASSERT_TRUE(runUntil([&] { return productionPaused(); }, 300));
    EXPECT_EQ(suspendedAtAlarm.load(), 0);
    EXPECT_EQ(machineState().AlarmCode.load(), kAlarmCtaPutOut);
    EXPECT_EQ(machineState().InsertStep.load(), 3);
    // State texts posted meanwhile leave the alarm in the status line.
    console.window().post(MSG_STATE_TEXT, kStateWorkdeskLoading);
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(console.view().status, "CTA put out timeout");

    // Start is refused while the alarm stands; after Alarm reset the same
    // step runs again and the board completes.
    console.Start();
    EXPECT_TRUE(console.productionSuspended());
    machine().setCylinderJammed(sim::Cylinder::Cta, false);
    console.AlarmReset();
    ASSERT_TRUE(runToCompletion(300));
    EXPECT_EQ(machine().boards().at(0).insertedStations, std::vector<int>{1});
    EXPECT_EQ(console.alarmHistory(), (std::vector<int>{kAlarmCtaPutOut, kAlarmProductionComplete}));
}

TEST_F(ProductionTest, LeadFailuresRaiseTheirAlarmsAndStartGoesOn) {
    useProgram({{"check", 1, 20, 10}, {"check", 3, 30, 10}, {"uncheck", 5, 40, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    machine().queueLeadResult(false, false);  // record 1: both leads missed
    machine().queueLeadResult(true, false);   // record 2: the right one
    machine().queueLeadResult(false, false);  // record 3 is not judged
    ASSERT_TRUE(runToCompletion(600));
    EXPECT_EQ(console.alarmHistory(),
              (std::vector<int>{kAlarmPlugInFailureLeft, kAlarmPlugInFailureRight,
                                kAlarmPlugInFailureRight, kAlarmProductionComplete}));
    EXPECT_EQ(console.statistics().Current().failures, 2);
    EXPECT_EQ(console.statistics().Current().successes, 1);
    EXPECT_EQ(console.counters().station(1).failed, 1);
    EXPECT_EQ(console.counters().station(5).succeeded, 1);
    EXPECT_EQ(console.stationsToVerify(), (std::vector<int>{1, 3}));
}

TEST_F(ProductionTest, EmergencyStopMidBoardLosesAndDoublesNothing) {
    useProgram(kProgram);
    Console& console = startConsole();
    console.setPlannedCount(2);
    ASSERT_TRUE(resetMachine());
    // Press the emergency stop while the second component of the first board
    // is being inserted.
    console.setMessageObserver([&](uint32_t message, uintptr_t, intptr_t) {
        if (message == MSG_SHOW_RECORD && machineState().CurrentRecord.load() == 3 &&
            machineState().BoardsProduced.load() == 0) {
            machine().scheduleButton(sim::Button::EmergencyStop, true, platform::Clock::seconds() + 0.6);
        }
    });
    console.Start();
    ASSERT_TRUE(runUntil([&] { return machineState().EmergencyStopActive.load() && productionPaused(); }, 600));
    console.setMessageObserver(nullptr);
    EXPECT_TRUE(console.settings().NeedsReset.load());
    console.Start();
    EXPECT_EQ(console.view().status, "The machine needs to reset!");

    machine().releaseButton(sim::Button::EmergencyStop);
    runUntil([] { return false; }, 0.5);
    ASSERT_TRUE(resetMachine());
    ASSERT_TRUE(runToCompletion(900));
    runUntil([] { return machine().boardsDelivered() >= 2; }, 20);

    const std::vector<int> expected = componentStationsOf(kProgram);
    const auto boards = machine().boards();
    ASSERT_GE(boards.size(), 2u);
    EXPECT_EQ(boards[0].insertedStations, expected);
    EXPECT_EQ(boards[1].insertedStations, expected);
    EXPECT_EQ(machineState().BoardsProduced.load(), 2);
    EXPECT_EQ(machine().boardsDelivered(), 2);
    EXPECT_EQ(console.counters().inserted(), static_cast<int>(machine().insertions().size()));
    EXPECT_EQ(console.statistics().Current().inserts, 8);
}

TEST_F(ProductionTest, EmergencyStopDuringTheLoadStopsTheMachineAndTheBoardIsInsertedAfterTheReset) {
    useProgram(kProgram);
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    std::atomic<int> stopRequestAtAlarm{-1};
    console.setMessageObserver([&](uint32_t message, uintptr_t code, intptr_t) {
        if (message == MSG_ALARM && code == kAlarmWorkdeskLoad) {
            stopRequestAtAlarm = machineState().StopRequest.load();
        }
    });
    console.Start();
    // The belts carry the board from the load lift to the workdesk.
    ASSERT_TRUE(runUntil([] { return machine().outputOn(sim::Output::WorkdeskBelt) &&
                                     machine().outputOn(sim::Output::LoadLiftBelt); },
                         300));
    console.EmergencyStop();
    ASSERT_TRUE(runUntil([&] { return productionPaused(); }, 30));
    console.setMessageObserver(nullptr);
    EXPECT_EQ(console.alarmHistory(), std::vector<int>{kAlarmWorkdeskLoad});
    EXPECT_EQ(stopRequestAtAlarm.load(), 1);

    ASSERT_TRUE(resetMachine());
    ASSERT_TRUE(runToCompletion(900));
    runUntil([] { return machine().boardsDelivered() >= 1; }, 20);
    const auto boards = machine().boards();
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].insertedStations, componentStationsOf(kProgram));
    EXPECT_EQ(machine().boardsDelivered(), 1);
}

TEST_F(ProductionTest, AChainStationAlarmLeavesTheMachineAtRestForAReset) {
    // A tall component holds the chain request back to the next record; the
    // next station is empty. The cycle must be paused, not polling, when the
    // operator resets, or the homing would park the platform under it.
    const std::vector<Step> program = {{"check", 2, 20, 10, 0, 12, "C-1012", "C1"},
                                       {"check", 4, 30, 12, 0, 3, "R-0207", "R1"},
                                       {"check", 6, 40, 14, 0, 3, "R-0207", "R2"},
                                       {"stop", 1, 60, 5, 0, 0}};
    useProgram(program);
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    machine().setFeederParts(6, 0);
    console.Start();
    ASSERT_TRUE(runUntil([] { return machineState().AlarmCode.load() == kAlarmStationError; }, 300));
    // Right after the alarm the cycle may still be at work: Reset waits.
    console.Reset();
    if (!console.resetRunning()) {
        EXPECT_EQ(console.view().status, "Stop production before resetting");
    }
    ASSERT_TRUE(runUntil([&] { return productionPaused() && console.chainFeedSuspended() == 1; }, 30));
    machine().setFeederParts(6, 1000);
    console.AlarmReset();
    if (console.resetRunning()) runUntil([&] { return !console.resetRunning(); }, 300);
    ASSERT_TRUE(resetMachine());
    machine().clearRecords();
    ASSERT_TRUE(runToCompletion(900));
    const auto boards = machine().boards();
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].insertedStations, componentStationsOf(program));
    // Nothing went in at the place the reset parks the platform.
    for (const auto& insertion : machine().insertions()) {
        EXPECT_GT(std::abs(insertion.x) + std::abs(insertion.y), 1.0);
    }
}

TEST_F(ProductionTest, TheFeedCutsEveryPitchOnItsOwnRhythm) {
    // The distribution head interval times the chain clearing; the cut after
    // each feed pitch is 100 ms on and 100 ms off whatever it is.
    useProgram({{"check", 3, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    startConsole();
    machineParameters().distributionIntervalMs = 40;
    ASSERT_TRUE(resetMachine());
    machine().clearRecords();
    ASSERT_TRUE(runToCompletion(600));
    const int bit = output(kOutPaperCut).libraryBit();
    std::vector<double> onTimes;
    double since = -1;
    for (const auto& change : machine().outputLog()) {
        if (change.bit != bit) continue;
        const bool on = change.level == 0;  // active low
        if (on) {
            since = change.time;
        } else if (since >= 0) {
            onTimes.push_back(change.time - since);
            since = -1;
        }
    }
    // Real time runs under the clock: a pulse may come out a little long.
    const auto between = [&](double low, double high) {
        return std::count_if(onTimes.begin(), onTimes.end(), [&](double t) { return t >= low && t <= high; });
    };
    EXPECT_GE(between(0.035, 0.070), 108);  // clearing the chain: the interval
    EXPECT_GE(between(0.095, 0.200), 27);   // feeding: at least the pitches to the CTA
}

TEST_F(ProductionTest, NotLoadTestsThePlatformLimitsAfterParking) {
    useProgram({{"check", 3, 20, 10}, {"stop", 1, 0, 0, 0, 0}});
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    console.settings().LoadMode = kNotLoad;
    machine().placeBoardOnWorkdesk();
    // The stop position lies past the platform's X travel.
    machineParameters().xyStopPosition = {5000.0, 0.0};
    messages_.clear();
    ASSERT_TRUE(runToCompletion(600));
    EXPECT_NE(std::find(messages_.begin(), messages_.end(), "The X shaft is at tht limit"), messages_.end());
}

TEST_F(ProductionTest, OpeningTheSafeDoorPausesARunningMachineAndClosingItLetsItGoOn) {
    useProgram(kProgram);
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    console.Start();
    ASSERT_TRUE(runUntil([] { return machineState().CurrentRecord.load() == 3; }, 300));
    machine().setSafeDoorClosed(false);
    ASSERT_TRUE(runUntil([&] { return productionPaused(); }, 30));
    EXPECT_EQ(machineState().AlarmCode.load(), kAlarmSafeDoor);
    console.Start();  // refused while the door stands open
    EXPECT_EQ(machineState().StopRequest.load(), 1);
    machine().setSafeDoorClosed(true);
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(machineState().AlarmCode.load(), -1);
    ASSERT_TRUE(runToCompletion(900));
    EXPECT_EQ(console.alarmHistory(), (std::vector<int>{kAlarmSafeDoor, kAlarmProductionComplete}));
    EXPECT_EQ(machine().boards().at(0).insertedStations, componentStationsOf(kProgram));
}

TEST_F(ProductionTest, FullStepPausesAfterEveryRecord) {
    useProgram(kProgram);
    Console& console = startConsole();
    ASSERT_TRUE(resetMachine());
    console.settings().ProductionMode = kModeFullStep;
    std::vector<int> pausedAfter;
    console.setMessageObserver([&](uint32_t message, uintptr_t, intptr_t) {
        // The cycle's pause at the end of a record: step 0 comes next.
        if (message == MSG_PRODUCTION_STOPPED && machineState().WorkdeskPhase.load() == kPhaseInsert &&
            machineState().InsertStep.load() == 0) {
            const int record = machineState().CurrentRecord.load();
            if (pausedAfter.empty() || pausedAfter.back() != record) pausedAfter.push_back(record);
        }
    });
    ASSERT_TRUE(runToCompletion(900));
    console.setMessageObserver(nullptr);
    // The four component records; the mark is not checked and the break
    // ends its pass at once.
    const std::vector<int> components = {2, 3, 5, 6};
    for (int record : components) {
        EXPECT_NE(std::find(pausedAfter.begin(), pausedAfter.end(), record), pausedAfter.end())
            << "no pause after record " << record << ": " << ::testing::PrintToString(pausedAfter);
    }
    EXPECT_TRUE(std::is_sorted(pausedAfter.begin(), pausedAfter.end()));
    EXPECT_EQ(machine().boards().at(0).insertedStations, componentStationsOf(kProgram));
}
