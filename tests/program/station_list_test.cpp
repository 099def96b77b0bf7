// Station rows, replacing a station, batch numbers, and the verify-stations
// dialogue with its three-scan rule.
#include "program/station_list.h"
#include "platform/message_target.h"
#include "platform/window_messages.h"
#include "program/material_verification.h"
#include "program_test_support.h"

using namespace corvane;
using program_test::ProgramTest;

namespace {

class StationTest : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        materialVerificationFlags().batchNumbersComplete = true;
        materialVerificationFlags().batchVerified = false;
        materialVerificationFlags().setLastMessage("");
        target.bindToCurrentThread();
        target.setHandler([this](uint32_t message, uintptr_t wParam, intptr_t) {
            if (message == MSG_STATIONS_VERIFIED)
                reports.push_back(static_cast<int>(wParam));
            return intptr_t{0};
        });
    }
    std::vector<int> drainReports() {
        target.processPending();
        auto copy = reports;
        reports.clear();
        return copy;
    }

    ProgramList program;
    StationTable table;
    platform::MessageTarget target;
    std::vector<int> reports;
};

}  // namespace

TEST_F(StationTest, RowsShowTheLastRunOfEqualNames) {
    program.append(record(1, 3, "A", ProgramCommand::Check));
    program.append(record(2, 3, "A", ProgramCommand::Check));
    program.append(record(3, 3, "B", ProgramCommand::Uncheck));
    program.append(record(4, 3, "A", ProgramCommand::Check));
    program.append(record(5, 3, "A", ProgramCommand::Check));
    program.append(record(6, 3, "A", ProgramCommand::Check));
    program.append(record(7, 5, "C", ProgramCommand::Mark));     // not an insertion
    program.append(record(8, 6, "D", ProgramCommand::Break));    // not an insertion
    program.append(record(9, 0, "E", ProgramCommand::Check));    // station 0 does not count
    program.append(record(10, 13, "F", ProgramCommand::Check));  // beyond the chain: left out
    table.build(program, false);
    const StationRow& three = table.row(3);
    EXPECT_EQ(three.name, "A");
    EXPECT_EQ(three.counts, 3);
    EXPECT_EQ(three.countsText(), "3");
    EXPECT_EQ(three.width, "5.0");
    EXPECT_EQ(three.height, "3.000");
    EXPECT_EQ(three.direction, "N");
    EXPECT_EQ(three.batch, "");
    for (int s : {1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12}) {
        EXPECT_EQ(table.row(s).counts, 0) << s;
        EXPECT_EQ(table.row(s).countsText(), "") << s;
        EXPECT_EQ(table.row(s).station, s);
    }
    EXPECT_EQ(table.rows().size(), 12u);
    // Chinese display language: the English words no longer count.
    useChinese();
    table.build(program, false);
    EXPECT_EQ(table.row(3).counts, 0);
}

TEST_F(StationTest, BatchNumbersAreTakenOnlyWhileVerificationIsOn) {
    program.append(record(1, 2, "A", ProgramCommand::Check, "L1"));
    program.append(record(2, 4, "B", ProgramCommand::Check, ""));
    table.build(program, false);
    EXPECT_EQ(table.row(2).batch, "");
    EXPECT_TRUE(materialVerificationFlags().batchNumbersComplete);
    table.build(program, true);
    EXPECT_EQ(table.row(2).batch, "L1");
    EXPECT_FALSE(materialVerificationFlags().batchNumbersComplete);

    EXPECT_FALSE(table.canEnterBatchNumber(4, false));
    EXPECT_FALSE(table.canEnterBatchNumber(5, true));  // Counts below 1
    ASSERT_TRUE(table.canEnterBatchNumber(4, true));
    program.append(record(3, 4, "B", ProgramCommand::Mark, "keep"));
    table.enterBatchNumber(program, 4, "L2");
    EXPECT_EQ(table.row(4).batch, "L2");
    EXPECT_EQ(program.at(1)->field(kFieldBatch), "L2");
    EXPECT_EQ(program.at(2)->field(kFieldBatch), "keep");  // only insertions take it
    EXPECT_EQ(program.at(0)->field(kFieldBatch), "L1");
    EXPECT_TRUE(materialVerificationFlags().batchNumbersComplete);
    table.enterBatchNumber(program, 2, "");
    EXPECT_FALSE(materialVerificationFlags().batchNumbersComplete);
}

TEST_F(StationTest, ReplaceMovesEveryRecordOfTheStation) {
    program.append(record(1, 4, "A", ProgramCommand::Check, "L4"));
    program.append(record(2, 4, "M", ProgramCommand::Mark));
    program.append(record(3, 4, "X", ProgramCommand::Break));
    program.append(record(4, 7, "B", ProgramCommand::Check));
    table.build(program, true);
    EXPECT_FALSE(table.programChanged());
    ASSERT_EQ(table.replaceStation(program, 4, 9, true), StationTable::ReplaceResult::Replaced);
    EXPECT_TRUE(table.programChanged());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(program.at(i)->field(kFieldStation), "9") << i;
    EXPECT_EQ(program.at(3)->field(kFieldStation), "7");
    EXPECT_EQ(table.row(9).name, "A");
    EXPECT_EQ(table.row(9).counts, 1);
    EXPECT_EQ(table.row(9).batch, "L4");
    EXPECT_EQ(table.row(4), (StationRow{4, "", "", "", 0, "", ""}));

    EXPECT_EQ(table.replaceStation(program, 9, 7, true), StationTable::ReplaceResult::TargetInUse);
    EXPECT_EQ(replaceStationMessage(StationTable::ReplaceResult::TargetInUse),
              "The station is using already , please select unused replacement");
    EXPECT_EQ(table.replaceStation(program, 0, 5, true), StationTable::ReplaceResult::OutOfRange);
    EXPECT_EQ(table.replaceStation(program, 9, 13, true), StationTable::ReplaceResult::OutOfRange);
    useChinese();
    EXPECT_EQ(replaceStationMessage(StationTable::ReplaceResult::OutOfRange), "站位值超出范围");
    EXPECT_EQ(replaceStationMessage(StationTable::ReplaceResult::TargetInUse),
              "该站位已经被使用，请选择没有使用的站位");
    EXPECT_EQ(program.at(0)->field(kFieldStation), "9");  // refusals changed nothing
}

TEST_F(StationTest, OnlyCountsDecideWhetherATargetIsInUse) {
    // Station 5 holds a mark record: records use it, but its row has no
    // Counts, so it may take station 2's work.
    program.append(record(1, 2, "A", ProgramCommand::Check));
    program.append(record(2, 5, "M", ProgramCommand::Mark));
    table.build(program, false);
    ASSERT_EQ(table.replaceStation(program, 2, 5, false), StationTable::ReplaceResult::Replaced);
    EXPECT_EQ(table.row(5).name, "A");
    EXPECT_EQ(table.row(5).counts, 1);
    EXPECT_EQ(program.at(0)->field(kFieldStation), "5");
    EXPECT_EQ(table.replaceStation(program, 5, 5, false), StationTable::ReplaceResult::TargetInUse);
    // A station onto itself with no Counts moves nothing and keeps the row.
    EXPECT_EQ(table.replaceStation(program, 3, 3, false), StationTable::ReplaceResult::Replaced);
    EXPECT_EQ(table.row(5).name, "A");
}

TEST_F(StationTest, ThreeWrongScansEndTheVerification) {
    program.append(record(1, 3, "A", ProgramCommand::Check, "LOT-7"));
    table.build(program, true);
    StationVerification verification(&target);
    ASSERT_TRUE(verification.verify("Station error", {3, 5}, kVerifyByScanning, table, true));
    EXPECT_EQ(verification.statusLine(), "Station error");
    EXPECT_EQ(verification.rowColours()[2], kStationToVerifyRow);
    EXPECT_EQ(verification.rowColours()[4], kNormalRow);  // only the first listed station
    EXPECT_FALSE(verification.showRescanLine());
    EXPECT_TRUE(verification.running());

    EXPECT_EQ(verification.submitScan("LOT-1"), StationVerification::ScanResult::Rescan);
    EXPECT_EQ(verification.statusLine(),
              "The batch number of materials is incorrect. Please check the materials. LOT-1");
    EXPECT_TRUE(verification.showRescanLine());
    EXPECT_TRUE(verification.awaitingScan());
    EXPECT_EQ(verification.submitScan("lot-7"),
              StationVerification::ScanResult::Rescan);  // case matters
    EXPECT_EQ(verification.submitScan("LOT-3"), StationVerification::ScanResult::Failed);
    EXPECT_EQ(verification.statusLine(), "Three consecutive scans were incorrect, LOT-3");
    EXPECT_EQ(materialVerificationFlags().lastMessage(),
              "Three consecutive scans were incorrect, LOT-3");
    EXPECT_FALSE(verification.running());
    EXPECT_FALSE(verification.awaitingScan());
    EXPECT_FALSE(materialVerificationFlags().batchVerified);
    EXPECT_EQ(drainReports(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(verification.submitScan("LOT-7"), StationVerification::ScanResult::Failed);  // over
    EXPECT_TRUE(drainReports().empty());
}

TEST_F(StationTest, ACorrectSecondScanVerifies) {
    program.append(record(1, 3, "A", ProgramCommand::Check, "LOT-7"));
    table.build(program, true);
    StationVerification verification(&target);
    materialVerificationFlags().batchVerified = true;
    ASSERT_TRUE(verification.verify("", {3}, kVerifyByScanning, table, true));
    EXPECT_FALSE(materialVerificationFlags().batchVerified);  // cleared when it starts
    EXPECT_EQ(verification.submitScan("X"), StationVerification::ScanResult::Rescan);
    EXPECT_EQ(verification.submitScan("LOT-7"), StationVerification::ScanResult::Verified);
    EXPECT_EQ(verification.scans(), 2);
    EXPECT_TRUE(materialVerificationFlags().batchVerified);
    EXPECT_EQ(verification.statusLine(),
              "Material batch number is correct, please press the start-button to continue");
    EXPECT_EQ(drainReports(), (std::vector<int>{0, 1}));
    EXPECT_FALSE(verification.running());
}

TEST_F(StationTest, ChineseTextsOfTheDialogue) {
    useChinese();
    program.append(record(1, 3, "A", ProgramCommand::Check, "L"));
    table.build(program, true);
    StationVerification verification(&target);
    ASSERT_TRUE(verification.verify("", {3}, kVerifyByScanning, table, true));
    verification.submitScan("a");
    EXPECT_EQ(verification.statusLine(), "物料批号不正确,请检查物料: a");
    verification.submitScan("b");
    verification.submitScan("c");
    EXPECT_EQ(verification.statusLine(), "连续3次扫描不正确， c");
    EXPECT_EQ(materialVerificationFlags().lastMessage(), "连续3次扫描不正确: c");
    EXPECT_EQ(rescanLineText(), "物料批号不正确，请扫描");
    useEnglish();
    EXPECT_EQ(rescanLineText(), "Material batch number is incorrect, please rescan ");
    EXPECT_EQ(scanningDialogCaption(), "Scanning of Material Batch Number ");
}

TEST_F(StationTest, OtherModesAndVerificationOffOnlyPaint) {
    program.append(record(1, 3, "A", ProgramCommand::Check, "L"));
    table.build(program, true);
    StationVerification verification(&target);
    EXPECT_FALSE(verification.verify("text", {3}, 2, table, true));
    EXPECT_EQ(verification.statusLine(), "text");
    EXPECT_FALSE(verification.running());
    EXPECT_EQ(verification.rowColours()[2], kNormalRow);

    EXPECT_FALSE(verification.verify("off", {3, 7, 20}, kVerifyByScanning, table, false));
    EXPECT_EQ(verification.rowColours()[2], kStationToVerifyRow);
    EXPECT_EQ(verification.rowColours()[6], kStationToVerifyRow);
    EXPECT_FALSE(verification.running());
    EXPECT_FALSE(verification.entryFieldEnabled());

    EXPECT_FALSE(verification.verify("none", {}, kVerifyByScanning, table, true));
    EXPECT_FALSE(verification.verify("beyond", {13}, kVerifyByScanning, table, true));
    EXPECT_FALSE(verification.running());
    // The next verification repaints everything.
    EXPECT_TRUE(verification.verify("again", {3}, kVerifyByScanning, table, true));
    EXPECT_EQ(verification.rowColours()[6], kNormalRow);
    // One already running: the new call shows its message and goes no further.
    EXPECT_TRUE(verification.verify("second", {7}, kVerifyByScanning, table, true));
    EXPECT_EQ(verification.stationInHand(), 3);
    EXPECT_TRUE(drainReports().empty());
}

TEST_F(StationTest, EntryFieldComparesTheSameWay) {
    program.append(record(1, 3, "A", ProgramCommand::Check, "L3"));
    table.build(program, true);
    StationVerification verification(&target);
    EXPECT_FALSE(verification.entryFieldEnabled());
    verification.verify("", {3}, kVerifyByScanning, table, true);
    ASSERT_TRUE(verification.entryFieldEnabled());
    EXPECT_FALSE(verification.submitEntry("L4"));
    EXPECT_EQ(verification.statusLine(),
              "The batch number of materials is incorrect. Please check the materials. L4");
    EXPECT_TRUE(verification.entryFieldEnabled());
    EXPECT_TRUE(verification.submitEntry("L3"));
    EXPECT_FALSE(verification.entryFieldEnabled());
    EXPECT_TRUE(materialVerificationFlags().batchVerified);
    EXPECT_EQ(drainReports(), (std::vector<int>{1}));
}
