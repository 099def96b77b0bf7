// The program's workbook: the write, the read with its rules in order, the
// batch number cell, the path rule, the open and save actions.
#include <cmath>
#include <fstream>

#include "machine/machine_parameters.h"
#include "program/program_file.h"
#include "program/program_rules.h"
#include "program_test_support.h"
#include "xls/xls.h"

using namespace corvane;
using program_test::ProgramTest;

namespace {

// A sheet with a header row and one data row holding the given cells; the
// other columns of the row carry a valid record.
struct RowCells {
    double no = 1, x = 1, y = 2, angle = 0, station = 3, width = 5.0, height = 1;
    std::string command = "check";
    std::string name = "R1";
};

void writeRow(xls::Sheet& sheet, int r, const RowCells& cells) {
    sheet.writeNum(r, 0, cells.no);
    sheet.writeNum(r, 1, cells.x);
    sheet.writeNum(r, 2, cells.y);
    sheet.writeNum(r, 3, cells.angle);
    sheet.writeNum(r, 4, cells.station);
    sheet.writeStr(r, 5, "FP");
    sheet.writeStr(r, 6, cells.name);
    sheet.writeStr(r, 7, "N");
    sheet.writeNum(r, 8, cells.width);
    sheet.writeNum(r, 9, cells.height);
    sheet.writeStr(r, 10, cells.command);
}

class ProgramFileTest : public ProgramTest {
  protected:
    ProgramReadResult readRows(const std::vector<RowCells>& rows,
                               ProgramScreen screen = ProgramScreen::MainWindow) {
        xls::Sheet sheet("Sheet1");
        sheet.writeStr(0, 0, "No");
        for (size_t i = 0; i < rows.size(); ++i)
            writeRow(sheet, static_cast<int>(i) + 1, rows[i]);
        return readProgramSheet(sheet, program, screen);
    }

    ProgramList program;
};

}  // namespace

TEST_F(ProgramFileTest, AWrittenProgramReadsBackFieldForField) {
    const auto dir = freshDir("roundtrip");
    program.append(InsertionRecord({"1", "12.345", "-3.500", "45.000", "3", "TO-92", "三极管", "左",
                                    "2.5", "4.200", "check", "00123"}));
    program.append(InsertionRecord(
        {"2", "0.000", "0.000", "-90.000", "0", "", "", "", "10.0", "0.000", "break", "123"}));
    program.append(InsertionRecord({"3", "100.000", "200.000", "0.000", "12", "R", "R1,10k \"x\"",
                                    "", "7.5", "1.000", "continue", "12.5"}));
    const std::string path = (dir / "plan.xls").string();
    ASSERT_TRUE(writeProgramFile(path, program));

    ProgramList back;
    const ProgramReadResult result = readProgramFile(path, back, ProgramScreen::MainWindow);
    ASSERT_TRUE(result.loaded()) << result.message;
    EXPECT_EQ(back.records(), program.records());
}

TEST_F(ProgramFileTest, WriterPutsRowNumbersHeadersAndBatchCells) {
    const auto dir = freshDir("writer");
    program.append(record(7, 1, "a", ProgramCommand::Check, "00123"));
    program.append(record(3, 1, "b", ProgramCommand::Check, "123"));
    program.append(record(3, 1, "c", ProgramCommand::Check, "12.5"));
    program.append(record(1, 1, "d", ProgramCommand::Check, ""));
    program.append(record(1, 1, "e", ProgramCommand::Check, "0"));
    program.append(record(1, 1, "f", ProgramCommand::Check, "+5"));
    program.append(record(1, 1, "g", ProgramCommand::Check, "-5"));
    useChinese();
    const std::string path = (dir / "w.xls").string();
    ASSERT_TRUE(writeProgramFile(path, program));

    auto book = xls::createBook();
    ASSERT_TRUE(book->load(path));
    ASSERT_EQ(book->sheetCount(), 1);
    const xls::Sheet& sheet = *book->getSheet(0);
    EXPECT_EQ(sheet.name(), "Sheet1");
    EXPECT_STREQ(sheet.readStr(0, 0), "序号");
    EXPECT_STREQ(sheet.readStr(0, 6), "元件");
    EXPECT_STREQ(sheet.readStr(0, 11), "料号");
    for (int r = 1; r <= 7; ++r)
        EXPECT_EQ(sheet.readNum(r, 0), r);  // not the records' No. fields
    EXPECT_STREQ(sheet.readStr(1, 11), "00123");
    EXPECT_EQ(sheet.readNum(2, 11), 123.0);
    EXPECT_STREQ(sheet.readStr(3, 11), "12.5");
    EXPECT_EQ(sheet.cellType(4, 11), xls::CellType::Empty);
    EXPECT_STREQ(sheet.readStr(5, 11), "0");
    EXPECT_STREQ(sheet.readStr(6, 11), "+5");
    EXPECT_EQ(sheet.readNum(7, 11), -5.0);
    EXPECT_EQ(sheet.readNum(1, 8), 5.0);
    EXPECT_STREQ(sheet.readStr(1, 10), "check");  // stored words are written as they stand

    ProgramList back;
    ASSERT_TRUE(readProgramFile(path, back, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(back.at(0)->field(kFieldBatch), "00123");
    EXPECT_EQ(back.at(1)->field(kFieldBatch), "123");
    EXPECT_EQ(back.at(2)->field(kFieldBatch), "12.5");
    EXPECT_EQ(back.at(3)->field(kFieldBatch), "");
    EXPECT_EQ(back.at(4)->field(kFieldBatch), "0");
    EXPECT_EQ(back.at(6)->field(kFieldBatch), "-5");
    EXPECT_EQ(back.at(0)->field(kFieldNo), "1");
    EXPECT_EQ(back.at(0)->field(kFieldCommand), "插件检测");  // converted at load time
}

TEST_F(ProgramFileTest, BatchCellRuleBothWays) {
    EXPECT_TRUE(batchNumberIsNumeric("123"));
    EXPECT_TRUE(batchNumberIsNumeric("-5"));
    EXPECT_FALSE(batchNumberIsNumeric("00123"));
    EXPECT_FALSE(batchNumberIsNumeric("12.5"));
    EXPECT_FALSE(batchNumberIsNumeric(""));
    EXPECT_FALSE(batchNumberIsNumeric("+5"));
    EXPECT_FALSE(batchNumberIsNumeric(" 5"));
    EXPECT_FALSE(batchNumberIsNumeric("0"));
    EXPECT_FALSE(batchNumberIsNumeric("99999999999"));
    // A number cell of a foreign file truncates; a zero reads the text.
    xls::Sheet sheet("Sheet1");
    sheet.writeStr(0, 0, "No");
    writeRow(sheet, 1, {});
    sheet.writeNum(1, 11, 12.9);
    writeRow(sheet, 2, {});
    sheet.writeNum(2, 11, 0.4);
    writeRow(sheet, 3, {});
    sheet.writeStr(3, 11, "A-7");
    ASSERT_TRUE(readProgramSheet(sheet, program, ProgramScreen::MainWindow).loaded());
    ASSERT_EQ(program.count(), 3);
    EXPECT_EQ(program.at(0)->field(kFieldBatch), "12");
    EXPECT_EQ(program.at(1)->field(kFieldBatch), "");
    EXPECT_EQ(program.at(2)->field(kFieldBatch), "A-7");
}

TEST_F(ProgramFileTest, CellsAreFormattedAsTheModelStoresThem) {
    RowCells cells;
    cells.no = 4.8;
    cells.x = 1.23456;
    cells.station = 3.9;
    cells.width = 7.50;
    cells.height = -2;
    ASSERT_TRUE(readRows({cells}).loaded());
    const InsertionRecord& r = *program.at(0);
    EXPECT_EQ(r.field(kFieldNo), "4");
    EXPECT_EQ(r.field(kFieldX), "1.235");
    EXPECT_EQ(r.field(kFieldStation), "3");
    EXPECT_EQ(r.field(kFieldWidth), "7.5");
    EXPECT_EQ(r.field(kFieldHeight), "-2.000");
    EXPECT_EQ(r.field(kFieldAngle), "0.000");

    cells.station = -0.5;
    ASSERT_TRUE(readRows({cells}).loaded());
    EXPECT_EQ(program.at(0)->field(kFieldStation), "0");
}

TEST_F(ProgramFileTest, AngleBeyondNinetyAbandonsSilently) {
    RowCells cells;
    cells.angle = 90;
    EXPECT_TRUE(readRows({cells}).loaded());
    cells.angle = -90;
    EXPECT_TRUE(readRows({cells}).loaded());
    cells.angle = 90.0001;
    const ProgramReadResult result = readRows({RowCells{}, cells});
    EXPECT_EQ(result.outcome, ProgramReadResult::Outcome::Refused);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.row, 2);
    EXPECT_EQ(program.count(), 0);  // the valid first row is not kept
    cells.angle = -90.0001;
    EXPECT_EQ(readRows({cells}).outcome, ProgramReadResult::Outcome::Refused);
    // A position that is no number at all goes the same way.
    RowCells bad;
    bad.x = std::nan("");
    EXPECT_EQ(readRows({bad}).outcome, ProgramReadResult::Outcome::Refused);
}

TEST_F(ProgramFileTest, RulesApplyInOrderWithTheirMessages) {
    RowCells station;
    station.station = 13;
    station.width = 7.4;  // broken too, but the station is tested first
    station.command = "bad";
    ProgramReadResult result = readRows({station});
    EXPECT_EQ(result.message, "The file format is not valid,the station  is out of range");

    RowCells width;
    width.width = 7.4;
    width.command = "bad";
    EXPECT_EQ(readRows({width}).message,
              "The file format is not valid, the width must be 2.5,3.5,5.0,7.5,10.0");
    EXPECT_EQ(readRows({width}, ProgramScreen::Editor).message,
              "The file format is not valid, the Width must be 2.5,3.5,5.0,7.5,10.0");

    RowCells command;
    command.command = "Check";
    EXPECT_EQ(readRows({command}).message,
              "The file format is not valid, the command is not defined");
    command.command = "";
    EXPECT_EQ(readRows({command}).outcome, ProgramReadResult::Outcome::Refused);

    useChinese();
    EXPECT_EQ(readRows({station}).message, "文件格式不正确，站位值超出范围");
    EXPECT_EQ(readRows({width}).message, "文件格式不正确，宽度值只能是2.5，3.5,5.0,7.5,10.0");
    EXPECT_EQ(readRows({width}, ProgramScreen::Editor).message,
              "文件格式不正确，宽度值只能是2.5,3.5,5.0,7.5,10.0");
    EXPECT_EQ(readRows({command}).message, "文件格式不正确，命令没有定义");

    for (double pitch : {2.5, 3.5, 5.0, 7.5, 10.0}) {
        RowCells ok;
        ok.width = pitch;
        EXPECT_TRUE(readRows({ok}).loaded()) << pitch;
    }
    for (double pitch : {0.0, 2.4999, 10.05, -2.5}) {
        RowCells bad;
        bad.width = pitch;
        EXPECT_FALSE(readRows({bad}).loaded()) << pitch;
    }
    RowCells zero;
    zero.station = 0;
    RowCells twelve;
    twelve.station = 12;
    EXPECT_TRUE(readRows({zero, twelve}).loaded());
}

TEST_F(ProgramFileTest, CommandsAreConvertedIntoTheDisplayLanguage) {
    const auto dir = freshDir("language");
    useChinese();
    program.append(record(1, 1, "a", ProgramCommand::Check));
    program.append(record(2, 1, "b", ProgramCommand::Mark));
    program.append(record(3, 1, "c", ProgramCommand::Stop));
    const std::string path = (dir / "zh.xls").string();
    ASSERT_TRUE(writeProgramFile(path, program));
    useEnglish();
    ProgramList back;
    ASSERT_TRUE(readProgramFile(path, back, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(back.at(0)->field(kFieldCommand), "check");
    EXPECT_EQ(back.at(1)->field(kFieldCommand), "mark");
    EXPECT_EQ(back.at(2)->field(kFieldCommand), "stop");
    EXPECT_TRUE(back.at(0)->isInsertion());
}

TEST_F(ProgramFileTest, ReaderTakesTheFirstSheetAndItsUsedRows) {
    xls::Sheet sheet("Anything");
    sheet.writeStr(0, 0, "header");
    EXPECT_TRUE(readProgramSheet(sheet, program, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(program.count(), 0);  // a header alone: an empty program
    xls::Sheet empty("Empty");
    EXPECT_TRUE(readProgramSheet(empty, program, ProgramScreen::MainWindow).loaded());
    writeRow(sheet, 1, {});
    writeRow(sheet, 2, {});
    writeRow(sheet, 3, {});
    ASSERT_TRUE(readProgramSheet(sheet, program, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(program.count(), 3);
}

TEST_F(ProgramFileTest, UnreadableFilesLeaveTheProgramEmpty) {
    const auto dir = freshDir("unreadable");
    program.append(record(1, 1, "old", ProgramCommand::Check));
    std::ofstream(dir / "empty.xls").close();
    ProgramReadResult result =
        readProgramFile((dir / "empty.xls").string(), program, ProgramScreen::MainWindow);
    EXPECT_EQ(result.outcome, ProgramReadResult::Outcome::Unreadable);
    EXPECT_NE(result.message.find("empty.xls"), std::string::npos);
    EXPECT_EQ(program.count(), 0);

    ProgramList valid;
    for (int i = 1; i <= 200; ++i)
        valid.append(record(i, 1 + i % 12, "part" + std::to_string(i), ProgramCommand::Check));
    ASSERT_TRUE(writeProgramFile((dir / "full.xls").string(), valid));
    std::ifstream in(dir / "full.xls", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(dir / "half.xls", std::ios::binary) << bytes.substr(0, bytes.size() / 2);
    result = readProgramFile((dir / "half.xls").string(), program, ProgramScreen::MainWindow);
    EXPECT_NE(result.outcome, ProgramReadResult::Outcome::Loaded);
    EXPECT_EQ(program.count(), 0);
    EXPECT_EQ(
        readProgramFile((dir / "missing.xls").string(), program, ProgramScreen::MainWindow).outcome,
        ProgramReadResult::Outcome::Unreadable);
}

TEST(ProgramFilePath, ExtensionBecomesXls) {
    EXPECT_EQ(programFilePath("/data/plan.txt"), "/data/plan.xls");
    EXPECT_EQ(programFilePath("/data/plan"), "/data/plan.xls");
    EXPECT_EQ(programFilePath("/data/plan.xls"), "/data/plan.xls");
    EXPECT_EQ(programFilePath("/data/plan."), "/data/plan.xls");
    EXPECT_EQ(programFilePath("/data/text.t"), "/data/text.xls");  // stops at the dot
    EXPECT_EQ(programFilePath("/data/plan.v2.xlsx"), "/data/plan.v2.xls");
    EXPECT_EQ(programFilePath("/da.ta/plan"),
              "/da.ta/plan.xls");  // a dot of a folder is no extension
    EXPECT_EQ(programFilePath("plan.txt"), "plan.xls");
}

TEST_F(ProgramFileTest, OpenAndSaveActionsShowTheirMessages) {
    const auto dir = freshDir("actions");
    machineParameters().xyStopPosition = {55.5, 66.25};

    ProgramList empty;
    EXPECT_FALSE(prepareProgramSave(empty, ProgramScreen::MainWindow));
    EXPECT_FALSE(prepareProgramSave(empty, ProgramScreen::Editor));
    useChinese();
    EXPECT_FALSE(prepareProgramSave(empty, ProgramScreen::Editor));
    useEnglish();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "No plug-in data can be saved.");
    EXPECT_EQ(messages[2], "没有插件数据可以保存！");
    messages.clear();

    program.append(record(1, 3, "R1", ProgramCommand::Check));
    ASSERT_TRUE(prepareProgramSave(program, ProgramScreen::MainWindow));
    ASSERT_EQ(program.count(), 2);
    EXPECT_EQ(program.at(1)->field(kFieldX), "55.500");
    EXPECT_EQ(program.at(1)->field(kFieldY), "66.250");
    ASSERT_TRUE(prepareProgramSave(program, ProgramScreen::MainWindow));
    EXPECT_EQ(program.count(), 2);

    ASSERT_TRUE(saveProgram((dir / "plan.txt").string(), program, ProgramScreen::MainWindow));
    EXPECT_EQ(program.path(), (dir / "plan.xls").string());
    EXPECT_TRUE(std::filesystem::exists(dir / "plan.xls"));
    EXPECT_FALSE(std::filesystem::exists(dir / "plan.txt"));

    EXPECT_FALSE(
        saveProgram((dir / "no-folder" / "x.xls").string(), program, ProgramScreen::MainWindow));
    EXPECT_FALSE(
        saveProgram((dir / "no-folder" / "x.xls").string(), program, ProgramScreen::Editor));
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Failure to save plug-data to file");
    EXPECT_EQ(messages[1], "Failure to save plugin data to file");
    messages.clear();

    ProgramList opened;
    EXPECT_TRUE(openProgram((dir / "plan").string(), opened, ProgramScreen::MainWindow));
    ASSERT_EQ(opened.count(), 2);
    EXPECT_EQ(*opened.at(0), *program.at(0));
    EXPECT_EQ(opened.at(1)->field(kFieldCommand), "stop");
    EXPECT_EQ(opened.at(1)->field(kFieldAngle),
              "0.000");  // the reader's formatting of the closing record
    EXPECT_EQ(opened.path(), (dir / "plan.xls").string());
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(openProgram((dir / "missing.xls").string(), opened, ProgramScreen::MainWindow));
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(opened.count(), 0);
    machineParameters() = MachineParameters();
}
