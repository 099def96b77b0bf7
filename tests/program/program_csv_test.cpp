// Programs as CSV: quoting, cell types, the same validation as a workbook.
#include "program/program_csv.h"
#include "program_test_support.h"
#include "xls/xls.h"

using namespace corvane;
using program_test::ProgramTest;

TEST_F(ProgramTest, CsvQuotesWhereNeededAndReadsBack) {
    ProgramList program;
    program.append(InsertionRecord({"1", "1.000", "2.000", "0.000", "3", "a,b", "say \"hi\"",
                                    "line\nbreak", "2.5", "0.000", "check", " 007"}));
    program.append(record(2, 4, "R2", ProgramCommand::Stop, "123"));
    const std::string csv = programToCsv(program);
    EXPECT_EQ(csv.substr(0, csv.find('\n')),
              "No,X,Y,Angle,Station,Footprint,element's Name,Direction,Width,Height,Command,Batch "
              "number");
    EXPECT_NE(csv.find("\"a,b\",\"say \"\"hi\"\"\",\"line\nbreak\""), std::string::npos);
    EXPECT_NE(csv.find("\" 007\""), std::string::npos);
    ProgramList back;
    ASSERT_TRUE(readProgramCsv(csv, back, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(back.records(), program.records());
    // CRLF line ends and a byte order mark as spreadsheet programs write them.
    std::string windows = "\xEF\xBB\xBF";
    for (char c : csv) {
        if (c == '\n')
            windows += "\r\n";
        else
            windows += c;
    }
    ASSERT_TRUE(readProgramCsv(windows, back, ProgramScreen::MainWindow).loaded());
    EXPECT_EQ(back.at(1)->field(kFieldBatch), "123");
}

TEST(ProgramCsv, FieldsTakeTheTypesTheWriterWouldGive) {
    xls::Sheet sheet("Sheet1");
    csvToSheet("No,X\n1, 7.50 ,abc,3,4,5,6,7,8,9,10,00123\n2,,,,,,,,,,,123\n", sheet);
    EXPECT_EQ(sheet.cellType(0, 0), xls::CellType::String);  // the header row stays text
    EXPECT_EQ(sheet.readNum(1, 0), 1.0);
    EXPECT_EQ(sheet.readNum(1, 1), 7.5);
    EXPECT_EQ(sheet.cellType(1, 2), xls::CellType::String);  // not a number: the reader sees 0
    EXPECT_EQ(sheet.cellType(1, 5), xls::CellType::String);  // a text column keeps "4"
    EXPECT_STREQ(sheet.readStr(1, 11), "00123");
    EXPECT_EQ(sheet.readNum(2, 11), 123.0);
    EXPECT_EQ(sheet.cellType(2, 1), xls::CellType::Empty);
    EXPECT_EQ(sheet.lastRow(), 2);
    xls::Sheet empty("Sheet1");
    csvToSheet("", empty);
    EXPECT_EQ(empty.lastRow(), -1);
    xls::Sheet unterminated("Sheet1");
    csvToSheet("h\n\"never closed,1,2", unterminated);
    EXPECT_STREQ(unterminated.readStr(1, 0), "never closed,1,2");
}

TEST_F(ProgramTest, CsvRowsAreValidatedLikeWorkbookRows) {
    ProgramList program;
    ProgramReadResult r =
        readProgramCsv("h\n1,0,0,0,3,,,,7.4,0,check,\n", program, ProgramScreen::Editor);
    EXPECT_EQ(r.message, "The file format is not valid, the Width must be 2.5,3.5,5.0,7.5,10.0");
    r = readProgramCsv("h\n1,0,0,0,3.9,,,,7.50,0,check,\n2,0,0,0,-0.5,,,,2.5,0,check,\n", program,
                       ProgramScreen::Editor);
    ASSERT_TRUE(r.loaded());
    EXPECT_EQ(program.at(0)->field(kFieldStation), "3");
    EXPECT_EQ(program.at(1)->field(kFieldStation), "0");
    // A blank line inside the data is a row of empty cells: width 0.
    r = readProgramCsv("h\n1,0,0,0,3,,,,2.5,0,check,\n\n2,0,0,0,3,,,,2.5,0,check,\n", program,
                       ProgramScreen::MainWindow);
    EXPECT_EQ(r.outcome, ProgramReadResult::Outcome::Refused);
    EXPECT_EQ(r.row, 2);
    EXPECT_TRUE(isCsvPath("a/B.CSV"));
    EXPECT_FALSE(isCsvPath("a.xls"));
    EXPECT_FALSE(isCsvPath("csv"));
}
