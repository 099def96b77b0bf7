// Counters, derived values with their guards, time spans, waiting times,
// closing a record.
#include <gtest/gtest.h>

#include "stats/production_statistics.h"

using namespace corvane;

TEST(StatisticsRecord, DerivedValuesAndTheirGuards) {
    StatisticsRecord r;
    EXPECT_EQ(r.successRate(), 0.0);
    EXPECT_EQ(r.timeEfficiency(), 0.0);
    EXPECT_EQ(r.plannedInsertions(), 1.0);  // no program: N taken as 1
    r.productionTime = 36;
    // 0 inserts: the production time itself over 24 h per planned insertion.
    EXPECT_DOUBLE_EQ(r.utilizationRate(), 36.0 / 86400.0);
    r.inserts = 200;
    r.successes = 150;
    r.bootUpTime = 72;
    r.programRecords = 10;
    r.plannedCount = 20;
    EXPECT_DOUBLE_EQ(r.successRate(), 0.75);
    EXPECT_DOUBLE_EQ(r.timeEfficiency(), 0.5);
    EXPECT_DOUBLE_EQ(r.plannedInsertions(), 200.0);
    EXPECT_DOUBLE_EQ(r.utilizationRate(), (36.0 / 200) / (24 * 3600.0 / 200));
    EXPECT_DOUBLE_EQ(r.completion(), 1.0);
    EXPECT_DOUBLE_EQ(r.uncompleted(), 0.0);
    r.plannedHours = 0;
    EXPECT_EQ(r.utilizationRate(), 0.0);
    r.boardsProduced = 7;
    r.splicesPerBoard = 4;
    EXPECT_EQ(r.smallBoards(), 28);
    r.plannedCount = 2'000'000'000;
    r.programRecords = 2'000;  // the product does not overflow
    EXPECT_GT(r.plannedInsertions(), 1e12);
}

TEST(StatisticsRecord, TimeSpansShowTheLastPartialDay) {
    EXPECT_EQ(formatTimeSpan(0), "00:00:00");
    EXPECT_EQ(formatTimeSpan(3661.9), "01:01:01");
    EXPECT_EQ(formatTimeSpan(25 * 3600), "01:00:00");
    EXPECT_EQ(formatTimeSpan(24 * 3600 - 1), "23:59:59");
    EXPECT_EQ(formatTimeSpan(-5), "00:00:00");
}

TEST(ProductionStatistics, CountersAndTimeSpansAdd) {
    ProductionStatistics s;
    s.CountProgramChange();
    s.SetPlan(500, 8.0);
    s.CountBoard();
    s.CountBoard();
    s.SetSplices(3);
    for (int i = 0; i < 5; ++i)
        s.CountInsert();
    s.CountFailure();
    s.CountSuccess();
    s.CountPassboardAlarm();
    s.CountShortageAlarm();
    s.CountOtherAlarm();
    s.CountOtherAlarm();
    s.AddBootUpTime(10);
    s.AddProductionTime(5);
    s.AddPassboardWaiting(1);
    s.AddShortageWaiting(2);
    s.AddErrorInsertionWaiting(3);
    s.AddOtherErrorWaiting(4);
    s.AddStandbyTime(6);
    s.MarkStart(12345);
    s.SetProgram("/p/plan.xls", 40);
    const StatisticsRecord r = s.Current();
    EXPECT_EQ(r.programChanges, 1);
    EXPECT_EQ(r.plannedCount, 500);
    EXPECT_EQ(r.plannedHours, 8.0);
    EXPECT_EQ(r.boardsProduced, 2);
    EXPECT_EQ(r.splicesPerBoard, 3);
    EXPECT_EQ(r.inserts, 5);
    EXPECT_EQ(r.failures, 1);
    EXPECT_EQ(r.successes, 1);
    EXPECT_EQ(r.passboardAlarms, 1);
    EXPECT_EQ(r.shortageAlarms, 1);
    EXPECT_EQ(r.otherAlarms, 2);
    EXPECT_EQ(r.bootUpTime, 10);
    EXPECT_EQ(r.productionTime, 5);
    EXPECT_EQ(r.passboardWaiting, 1);
    EXPECT_EQ(r.shortageWaiting, 2);
    EXPECT_EQ(r.errorInsertionWaiting, 3);
    EXPECT_EQ(r.otherErrorWaiting, 4);
    EXPECT_EQ(r.standbyTime, 6);
    EXPECT_EQ(r.startTime, 12345);
    EXPECT_EQ(r.programName, "/p/plan.xls");
    EXPECT_EQ(r.programRecords, 40);
}

TEST(ProductionStatistics, ClosingKeepsHistoryOnlyWithInserts) {
    ProductionStatistics s;
    s.CountProgramChange();
    s.CountProgramChange();
    s.SetPlan(10, 1);
    s.CountBoard();
    s.AddBootUpTime(100);
    s.SetProgram("a.xls", 3);
    s.CloseRecord(1000);
    EXPECT_TRUE(s.History().empty());  // 0 inserts: nothing kept
    StatisticsRecord r = s.Current();
    EXPECT_EQ(r.plannedCount, 1000);
    EXPECT_EQ(r.plannedHours, 24.0);
    EXPECT_EQ(r.boardsProduced, 0);
    EXPECT_EQ(r.bootUpTime, 0);
    EXPECT_EQ(r.programChanges, 2);  // never reset
    EXPECT_EQ(r.startTime, 1000);
    EXPECT_EQ(r.programName, "a.xls");

    s.CountInsert();
    s.CountSuccess();
    s.CloseRecord(2000);
    const auto history = s.History();
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].record.inserts, 1);
    EXPECT_EQ(history[0].record.startTime, 1000);
    ASSERT_FALSE(history[0].lines.empty());
    EXPECT_EQ(history[0].lines[0].caption, "FileName");
    EXPECT_EQ(s.Current().inserts, 0);
}

TEST(ProductionStatistics, WaitingTimesGoToTheKindOfTheLastAlarm) {
    EXPECT_EQ(waitingKindOfAlarm(5), WaitingKind::Shortage);
    for (int code : {15, 16, 17, 18})
        EXPECT_EQ(waitingKindOfAlarm(code), WaitingKind::Passboard);
    EXPECT_EQ(waitingKindOfAlarm(22), WaitingKind::ErrorInsertion);
    EXPECT_EQ(waitingKindOfAlarm(23), WaitingKind::ErrorInsertion);
    for (int code : {1, 2, 3, 4, 6, 7, 14, 19, 21})
        EXPECT_EQ(waitingKindOfAlarm(code), WaitingKind::OtherError);
    for (int code : {-1, 0, 24, 25, 99})
        EXPECT_FALSE(waitingKindOfAlarm(code).has_value()) << code;

    ProductionStatistics s;
    s.MarkWaitingStart(WaitingKind::Shortage, 100.0);
    s.MarkWaitingStart(WaitingKind::Passboard, 50.0);
    s.SetProductionState(5);
    EXPECT_EQ(s.ProductionState(), 5);
    EXPECT_DOUBLE_EQ(s.CloseWaiting(130.5), 30.5);
    s.SetProductionState(17);
    EXPECT_DOUBLE_EQ(s.CloseWaiting(60.0), 10.0);
    s.SetProductionState(0);
    EXPECT_EQ(s.CloseWaiting(500.0), 0.0);
    s.SetProductionState(-1);
    EXPECT_EQ(s.CloseWaiting(500.0), 0.0);
    const StatisticsRecord r = s.Current();
    EXPECT_DOUBLE_EQ(r.shortageWaiting, 30.5);
    EXPECT_DOUBLE_EQ(r.passboardWaiting, 10.0);
    EXPECT_EQ(r.otherErrorWaiting, 0.0);
}

TEST(ProductionStatistics, TheSecondTickBooksBootUpAndStandby) {
    EXPECT_EQ(activityOf(false, false, -1), MachineActivity::Running);
    EXPECT_EQ(activityOf(true, false, -1), MachineActivity::Standby);
    EXPECT_EQ(activityOf(true, true, 0), MachineActivity::Standby);
    EXPECT_EQ(activityOf(true, false, 24), MachineActivity::Standby);
    EXPECT_EQ(activityOf(true, false, 5), MachineActivity::Fault);

    ProductionStatistics s;
    s.Tick(1, MachineActivity::Running);
    s.Tick(1, MachineActivity::Standby);
    s.Tick(1, MachineActivity::Fault);
    EXPECT_EQ(s.Current().bootUpTime, 3);
    EXPECT_EQ(s.Current().standbyTime, 1);

    s.ClockTick(1, true, false);
    EXPECT_EQ(s.Current().standbyTime, 2);
    s.SetProductionState(9);
    s.ClockTick(1, true, false);
    EXPECT_EQ(s.Current().standbyTime, 2);
    EXPECT_EQ(s.Current().bootUpTime, 5);
}
