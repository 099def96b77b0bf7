// The console without a run: refusals, message handlers, lamps and buttons.
#include <gtest/gtest.h>

#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/window_messages.h"
#include "production/alarm_texts.h"
#include "production/production_fixture.h"

using namespace corvane;
using namespace corvane::testing;

namespace {

class ConsoleTest : public ProductionTest {
protected:
    void SetUp() override {
        ProductionTest::SetUp();
        useProgram({{"check", 3, 20, 10, 0, 3, "R-0207", "R1"},
                    {"check", 7, 30, 10, 0, 3, "C-0505", "C7"},
                    {"stop", 1, 0, 0, 0, 0}});
        startConsole();
    }
    Console& console() { return *console_; }
    // A window message as a worker sends it, handled on the window thread.
    void send(uint32_t message, uintptr_t w = 0, intptr_t l = 0) { console().window().send(message, w, l); }
};

}  // namespace

TEST_F(ConsoleTest, StartUpLeavesTheMachineStoppedAndNeedingAReset) {
    EXPECT_TRUE(console().cardsFound());
    EXPECT_EQ(machineState().StopRequest.load(), 1);
    EXPECT_EQ(console().settings().NeedsReset.load(), 1);
    EXPECT_EQ(machineState().AlarmCode.load(), -1);
    EXPECT_DOUBLE_EQ(machineState().SpeedFactor.load(), 0.9);
    EXPECT_EQ(console().settings().MarkCheck.load(), kUncheck);
    EXPECT_TRUE(output(kOutWorkdeskLight).IsOn());
}

TEST_F(ConsoleTest, StartIsRefusedUntilTheMachineIsReset) {
    console().Start();
    EXPECT_EQ(console().view().status, "The machine needs to reset!");
    EXPECT_FALSE(console().workersCreated());
    EXPECT_EQ(machineState().StopRequest.load(), 1);

    programList().clear();
    console().Start();
    EXPECT_EQ(console().view().status, "No Data!");

    Language = kChinese;
    console().Start();
    EXPECT_EQ(console().view().status, "没有数据");
}

TEST_F(ConsoleTest, NoCardsRefuseStart) {
    console_.reset();
    sim::MachineConfig config;
    config.cards = 1;
    machine().reset(config);
    startConsole();
    EXPECT_FALSE(console().cardsFound());
    EXPECT_EQ(messages_.size(), 0u);  // shown before startConsole cleared them
    EXPECT_EQ(console().view().status, "Cannot find the cards of motion control. ");
    console().Start();
    EXPECT_EQ(console().view().status, "Not find proper motion control card!");
}

TEST_F(ConsoleTest, AnAlarmIsShownAgainButAPlugInFailureLetsStartGoOn) {
    console().settings().NeedsReset = 0;
    send(MSG_ALARM, kAlarmCtaPutOut, 1);
    EXPECT_EQ(console().view().status, "CTA put out timeout");
    console().Start();
    EXPECT_EQ(console().view().status, "CTA put out timeout");
    EXPECT_FALSE(console().workersCreated());

    console().AlarmReset();
    EXPECT_EQ(console().view().status, "Alarm reseted");
    send(MSG_ALARM, kAlarmPlugInFailureRight, 1);
    console().Start();
    EXPECT_EQ(machineState().AlarmCode.load(), -1);
    EXPECT_TRUE(console().workersCreated());
    EXPECT_EQ(machineState().StopRequest.load(), 0);
    console().Stop();
    EXPECT_EQ(machineState().StopRequest.load(), 1);
}

TEST_F(ConsoleTest, StateTextsNeverOverwriteAnAlarm) {
    send(MSG_STATE_TEXT, kStateWorkdeskLoading);
    EXPECT_EQ(console().view().status, "The workdesk is loading board");
    send(MSG_ALARM, kAlarmPcbFix, 1);
    send(MSG_STATE_TEXT, kStateUnloadLiftWaiting);
    EXPECT_EQ(console().view().status, "Pcb fix timeout");
    console().AlarmReset();
    EXPECT_EQ(console().view().status, "The machine need to reset");
    send(MSG_STATE_TEXT, kStateIdle);
    EXPECT_EQ(console().view().status, "");
}

TEST_F(ConsoleTest, StationErrorTextNamesStationsElementsAndDirections) {
    machineState().setBadStations({});
    send(MSG_ALARM, kAlarmStationError, 1);
    EXPECT_EQ(console().view().status, "Station error:   Station Error :: Element's name:: Dirction:");
    machineState().setBadStations({7, 3, 9});
    send(MSG_ALARM, kAlarmStationError, 1);
    // Station 9 has no record: it adds nothing to the names and directions.
    EXPECT_EQ(console().view().status,
              "Station error:   Station Error :7 3 9: Element's name:C7 R1: Dirction:N N");
    EXPECT_EQ(console().stationsToVerify(), (std::vector<int>{7, 3, 9}));
    EXPECT_TRUE(output(kOutBuzzer).IsOn());
    EXPECT_EQ(console().statistics().Current().shortageAlarms, 2);
}

TEST_F(ConsoleTest, PlugInFailureTextNamesTheFailedRecord) {
    machineState().CurrentRecord = 2;
    send(MSG_ALARM, kAlarmPlugInFailureLeft, 1);
    EXPECT_EQ(console().view().status, "Plug-in failure Station:7: Element's name::C7: Dirction:N");
    EXPECT_EQ(console().stationsToVerify(), std::vector<int>{7});
}

TEST_F(ConsoleTest, RecordSelectionAndProductionFigures) {
    machineState().CurrentRecord = 0;
    send(MSG_SHOW_RECORD);
    EXPECT_EQ(console().view().selectedRow, -1);
    machineState().CurrentRecord = 2;
    send(MSG_SHOW_RECORD);
    EXPECT_EQ(console().view().selectedRow, 1);
    machineState().CurrentRecord = 9;
    send(MSG_SHOW_RECORD);
    EXPECT_EQ(console().view().selectedRow, 1);

    machineState().CurrentRecord = 1;
    machineState().BoardsProduced = 3;
    console().counters().countInserted();
    send(MSG_BOARD_PROGRESS, 1, 1500);
    EXPECT_EQ(console().view().realSpeed, "2400");
    EXPECT_EQ(console().view().averageSpeed, "2400");
    EXPECT_EQ(console().view().completeCounter, "3 Boards 1 cells");
    EXPECT_EQ(console().view().ppm, "100.00");
    console().counters().countFailure(3, "R-0207");
    send(MSG_BOARD_PROGRESS, 1, 3000);  // slower: the window keeps its best
    EXPECT_EQ(console().view().realSpeed, "1200");
    EXPECT_EQ(console().view().averageSpeed, "2400");
    EXPECT_EQ(console().view().ppm, "50.00");
    EXPECT_EQ(console().view().selectedRow, 0);
}

TEST_F(ConsoleTest, PlannedCountIsAtLeastOneAndAtLeastTheBoardsMade) {
    console().setPlannedCount(0);
    EXPECT_EQ(console().settings().PlannedBoards.load(), 1);
    machineState().BoardsProduced = 5;
    console().setPlannedCount(3);
    EXPECT_EQ(console().settings().PlannedBoards.load(), 5);
    console().setPlannedCount(40);
    EXPECT_EQ(console().settings().PlannedBoards.load(), 40);
}

TEST_F(ConsoleTest, TowerLampsFollowTheMachine) {
    runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(output(kOutYellowLight).IsOn());  // needs a reset
    EXPECT_FALSE(output(kOutGreenLight).IsOn());
    send(MSG_ALARM, kAlarmShear, 1);
    runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(output(kOutRedLight).IsOn());
    EXPECT_FALSE(output(kOutYellowLight).IsOn());
    // "Complete the production" stands like any alarm until it is reset.
    console().AlarmReset();
    send(MSG_ALARM, kAlarmProductionComplete, 1);
    runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(output(kOutRedLight).IsOn());
    EXPECT_FALSE(output(kOutYellowLight).IsOn());
    EXPECT_FALSE(output(kOutGreenLight).IsOn());
    console().AlarmReset();
    runUntil([] { return false; }, 0.1);
    EXPECT_TRUE(output(kOutYellowLight).IsOn());
}

TEST_F(ConsoleTest, MachineButtonsActOnPressOrRelease) {
    // The Start button counts its press only: held, it starts once.
    console().settings().NeedsReset = 0;
    machine().pressButton(sim::Button::Start);
    runUntil([] { return false; }, 0.1);
    EXPECT_EQ(machineState().StopRequest.load(), 0);
    console().Stop();
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(machineState().StopRequest.load(), 1);
    machine().releaseButton(sim::Button::Start);

    // The emergency stop button: the machine needs a reset. It leaves the
    // stop request as it was (the chain feed, which would set it, is not
    // running here): the machine is stopped all the same, and once reset its
    // Start button starts it.
    console().setChainState(kChainNotRun);
    console().settings().NeedsReset = 0;
    console().Start();
    ASSERT_EQ(machineState().StopRequest.load(), 0);
    machine().pressButton(sim::Button::EmergencyStop);
    runUntil([] { return machineState().EmergencyStopActive.load() != 0; }, 1.0);
    EXPECT_EQ(console().settings().NeedsReset.load(), 1);
    EXPECT_EQ(machineState().StopKind.load(), kEmergencyStopped);
    machine().releaseButton(sim::Button::EmergencyStop);
    runUntil([&] { return console().productionSuspended() == 1; }, 5.0);
    ASSERT_EQ(machineState().StopRequest.load(), 0);
    console().settings().NeedsReset = 0;
    machine().tapButton(sim::Button::Start, 0.1);
    runUntil([] { return false; }, 0.2);
    EXPECT_EQ(machineState().EmergencyStopActive.load(), 0);
    EXPECT_EQ(machineState().StopKind.load(), kRunning);
    console().Stop();
}

TEST_F(ConsoleTest, ExitAsksFirstAndOnlyYesWritesTheReportAndCloses) {
    std::vector<platform::MessageBoxRequest> asked;
    bool answer = false;
    platform::setMessageBoxSink([&](const platform::MessageBoxRequest& r) {
        asked.push_back(r);
        return answer;
    });
    console().statistics().CountInsert();
    EXPECT_FALSE(console().requestExit());
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, "Really want to exit the system?");
    EXPECT_EQ(asked[0].caption, "Note");
    EXPECT_EQ(asked[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_FALSE(console().lastReport().has_value());

    Language = kChinese;
    answer = true;
    EXPECT_TRUE(console().requestExit());
    EXPECT_EQ(asked.back().text, "真的要退出系统吗？");
    EXPECT_TRUE(console().lastReport().has_value());

    // While the machine runs Exit is refused without a question.
    console().settings().NeedsReset = 0;
    console().Start();
    EXPECT_FALSE(console().requestExit());
    EXPECT_EQ(asked.size(), 2u);
    console().Stop();
}

TEST_F(ConsoleTest, SafeDoorStopsTheMachineAndClosingItClearsTheAlarm) {
    machine().setSafeDoorClosed(false);
    runUntil([] { return false; }, 0.1);
    EXPECT_EQ(machineState().AlarmCode.load(), kAlarmSafeDoor);
    EXPECT_EQ(console().view().status, "The safe door was opened");
    EXPECT_EQ(console().alarmHistory(), std::vector<int>{kAlarmSafeDoor});  // raised once
    console().settings().NeedsReset = 0;
    console().AlarmReset();
    console().Start();
    EXPECT_EQ(console().view().status, "The safe door was opened");
    machine().setSafeDoorClosed(true);
    send(MSG_ALARM, kAlarmSafeDoor, 1);
    runUntil([] { return false; }, 0.1);
    EXPECT_EQ(machineState().AlarmCode.load(), -1);
    EXPECT_EQ(console().view().status, "");
}

TEST_F(ConsoleTest, AlarmBuzzerSoundsInAPatternForFifteenSeconds) {
    send(MSG_ALARM, kAlarmShear, 1);
    std::vector<bool> levels;
    for (int i = 0; i < 4; ++i) {
        runUntil([] { return false; }, 1.0);
        levels.push_back(output(kOutBuzzer).IsOn());
    }
    EXPECT_NE(levels[0], levels[1]);
    EXPECT_NE(levels[1], levels[2]);
    runUntil([] { return false; }, 15.0);
    EXPECT_FALSE(output(kOutBuzzer).IsOn());
}

TEST_F(ConsoleTest, LanguageChoosesTheTextsOfLaterMessages) {
    send(MSG_ALARM, kAlarmShear, 1);
    console().setLanguage(kChinese);
    EXPECT_EQ(console().view().status, "Shear is timeout");  // not translated afterwards
    send(MSG_ALARM, kAlarmShear, 1);
    EXPECT_EQ(console().view().status, "剪脚到位超时");
}

TEST_F(ConsoleTest, HeadButtonHomesHOnReleaseAndManualCutCyclesTheForfex) {
    machine().placeAxis(sim::Axis::H, -3.0);
    machine().pressButton(sim::Button::HReturnOrigin);
    runUntil([] { return false; }, 0.5);
    EXPECT_NEAR(machine().axisPosition(sim::Axis::H), -3.0, 1e-9);  // nothing while held
    machine().releaseButton(sim::Button::HReturnOrigin);
    // The panel waits 1 s, then homes H on its own worker: the window goes on
    // meanwhile, and an emergency stop is still served.
    ASSERT_TRUE(runUntil([&] { return console().panelBusy(); }, 0.5));
    runUntil([] { return false; }, 0.3);
    EXPECT_TRUE(console().panelBusy());
    ASSERT_TRUE(runUntil([&] { return !console().panelBusy(); }, 15));
    EXPECT_NEAR(machine().axisPosition(sim::Axis::H), 0.0, 0.3);
    EXPECT_NEAR(axis(kAxisH).Position(), 0.0, 1e-9);

    machine().placeAxis(sim::Axis::H, -3.0);
    machine().tapButton(sim::Button::HReturnOrigin, 0.1);
    ASSERT_TRUE(runUntil([&] { return console().panelBusy(); }, 0.5));
    machine().pressButton(sim::Button::EmergencyStop);
    EXPECT_TRUE(runUntil([] { return machineState().EmergencyStopActive.load() != 0; }, 0.5));
    EXPECT_TRUE(console().panelBusy());
    machine().releaseButton(sim::Button::EmergencyStop);
    ASSERT_TRUE(runUntil([&] { return !console().panelBusy(); }, 15));

    machine().clearRecords();
    machine().pressButton(sim::Button::ForfexManual);
    ASSERT_TRUE(runUntil([&] { return console().panelBusy(); }, 0.5));
    ASSERT_TRUE(runUntil([&] { return !console().panelBusy(); }, 5));
    machine().releaseButton(sim::Button::ForfexManual);
    int forfexWrites = 0;
    for (const auto& change : machine().outputLog()) {
        if (change.bit == output(kOutForfex).libraryBit()) ++forfexWrites;
    }
    EXPECT_EQ(forfexWrites, 2);  // on, then off
    EXPECT_TRUE(output(kOutForfexSeat).IsOn());  // no leads seen: the seat stays up
}
