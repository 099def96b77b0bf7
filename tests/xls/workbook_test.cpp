// Workbooks written by the component read back cell for cell.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "test_files.h"
#include "xls/freexl_reader.h"
#include "xls/xls.h"

using xls::CellType;

namespace {

xls::BookPtr roundTrip(xls::Book& book, const std::filesystem::path& file) {
    EXPECT_TRUE(book.save(file.string())) << book.errorMessage();
    auto loaded = xls::createBook();
    EXPECT_TRUE(loaded->load(file.string())) << loaded->errorMessage();
    return loaded;
}

}  // namespace

TEST(Sheet, InMemoryCellsFollowTheReaderConventions) {
    xls::Sheet sheet("Sheet1");
    EXPECT_EQ(sheet.firstRow(), 0);
    EXPECT_EQ(sheet.lastRow(), -1);
    EXPECT_TRUE(sheet.writeNum(3, 2, 12.5));
    EXPECT_TRUE(sheet.writeStr(1, 0, "abc"));
    EXPECT_TRUE(sheet.writeStr(1, 0, "xyz"));  // rewriting keeps one cell
    EXPECT_EQ(sheet.firstRow(), 1);
    EXPECT_EQ(sheet.lastRow(), 3);
    EXPECT_EQ(sheet.cells().size(), 2u);
    EXPECT_STREQ(sheet.readStr(1, 0), "xyz");
    EXPECT_EQ(sheet.readNum(1, 0), 0.0);      // text read as a number
    EXPECT_EQ(sheet.readStr(3, 2), nullptr);  // number read as text
    EXPECT_EQ(sheet.readNum(3, 2), 12.5);
    EXPECT_EQ(sheet.readNum(7, 7), 0.0);
    EXPECT_EQ(sheet.readStr(7, 7), nullptr);
    EXPECT_EQ(sheet.cellType(7, 7), CellType::Empty);
    EXPECT_TRUE(sheet.writeNum(1, 0, 4));  // a text cell becomes a number
    EXPECT_EQ(sheet.readStr(1, 0), nullptr);
    EXPECT_FALSE(sheet.writeNum(xls::kMaxRows, 0, 1));
    EXPECT_FALSE(sheet.writeStr(0, xls::kMaxColumns, "x"));
    EXPECT_FALSE(sheet.writeNum(-1, 0, 1));
}

TEST(Book, AddSheetRefusesBadNames) {
    auto book = xls::createBook();
    ASSERT_NE(book->addSheet("Sheet1"), nullptr);
    EXPECT_EQ(book->addSheet("Sheet1"), nullptr);
    EXPECT_EQ(book->addSheet(""), nullptr);
    EXPECT_EQ(book->addSheet(std::string(32, 'a')), nullptr);
    EXPECT_NE(book->addSheet(std::string(31, 'a')), nullptr);
    EXPECT_EQ(book->sheetCount(), 2);
    EXPECT_EQ(book->getSheet(2), nullptr);
    EXPECT_EQ(book->getSheet(-1), nullptr);
}

TEST(Book, NumbersTextAndEmptyCellsSurviveASave) {
    const auto dir = xls_test::freshDir("roundtrip");
    auto book = xls::createBook();
    xls::Sheet* sheet = book->addSheet("Sheet1");
    ASSERT_NE(sheet, nullptr);
    sheet->writeStr(0, 0, "No");
    sheet->writeStr(0, 1, "序号");
    sheet->writeStr(0, 2, "");
    sheet->writeNum(1, 0, 1);
    sheet->writeNum(1, 1, -123.456);
    sheet->writeNum(1, 2, 1e-9);
    sheet->writeNum(1, 3, 123456789012.0);
    sheet->writeStr(1, 5, "插件检测");
    sheet->writeStr(2, 11, "00123");
    sheet->writeNum(2, 10, 7.5);

    auto loaded = roundTrip(*book, dir / "a.xls");
    ASSERT_EQ(loaded->sheetCount(), 1);
    const xls::Sheet* back = loaded->getSheet(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->name(), "Sheet1");
    EXPECT_EQ(back->firstRow(), 0);
    EXPECT_EQ(back->lastRow(), 2);
    EXPECT_STREQ(back->readStr(0, 0), "No");
    EXPECT_STREQ(back->readStr(0, 1), "序号");
    EXPECT_EQ(back->readStr(0, 2), nullptr);  // empty text is stored as a blank cell
    EXPECT_EQ(back->readNum(1, 0), 1.0);
    EXPECT_EQ(back->readNum(1, 1), -123.456);
    EXPECT_EQ(back->readNum(1, 2), 1e-9);
    EXPECT_EQ(back->readNum(1, 3), 123456789012.0);
    EXPECT_EQ(back->cellType(1, 4), CellType::Empty);
    EXPECT_STREQ(back->readStr(1, 5), "插件检测");
    EXPECT_STREQ(back->readStr(2, 11), "00123");
    EXPECT_EQ(back->readNum(2, 11), 0.0);
    EXPECT_EQ(back->readStr(2, 10), nullptr);
    EXPECT_EQ(back->readNum(2, 10), 7.5);
}

TEST(Book, ManyRowsAndLongSharedStringsCrossRecordBoundaries) {
    const auto dir = xls_test::freshDir("large");
    auto book = xls::createBook();
    xls::Sheet* sheet = book->addSheet("Sheet1");
    // Enough distinct strings to spread the string table over several
    // CONTINUE records, one longer than a whole record, repeated strings.
    const std::string longText = std::string(4000, 'x') + "中文" + std::string(3998, 'y');
    const int rows = 3000;
    for (int r = 0; r < rows; ++r) {
        sheet->writeNum(r, 0, r + 0.25);
        sheet->writeStr(r, 1, "row " + std::to_string(r) + " 元件");
        sheet->writeStr(r, 2, r % 2 == 0 ? "even" : "odd");
    }
    sheet->writeStr(rows, 3, longText);
    sheet->writeStr(rows + 1, 255, "last column");

    auto loaded = roundTrip(*book, dir / "large.xls");
    const xls::Sheet* back = loaded->getSheet(0);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->lastRow(), rows + 1);
    for (int r = 0; r < rows; ++r) {
        ASSERT_EQ(back->readNum(r, 0), r + 0.25) << r;
        ASSERT_STREQ(back->readStr(r, 1), ("row " + std::to_string(r) + " 元件").c_str()) << r;
        ASSERT_STREQ(back->readStr(r, 2), r % 2 == 0 ? "even" : "odd") << r;
    }
    ASSERT_NE(back->readStr(rows, 3), nullptr);
    EXPECT_TRUE(back->readStr(rows, 3) == longText) << "the longest text came back changed";
    EXPECT_STREQ(back->readStr(rows + 1, 255), "last column");
}

TEST(Book, TextLongerThanTheLimitFailsTheSave) {
    const auto dir = xls_test::freshDir("toolong");
    auto book = xls::createBook();
    auto* sheet = book->addSheet("Sheet1");
    sheet->writeStr(0, 0, std::string(xls::kMaxTextLength, 'a'));
    sheet->writeStr(1, 0, std::string(xls::kMaxTextLength, 'a') + "中");
    EXPECT_FALSE(book->save((dir / "long.xls").string()));
    EXPECT_NE(book->errorMessage().find("row 2, column 1"), std::string::npos)
        << book->errorMessage();
    sheet->writeStr(1, 0,
                    std::string(xls::kMaxTextLength / 2, 'a') +
                        std::string(xls::kMaxTextLength / 2 - 1, 'b') +
                        "中");  // 8000 UTF-16 units in 12002 bytes
    EXPECT_TRUE(book->save((dir / "long.xls").string())) << book->errorMessage();
    auto loaded = xls::createBook();
    ASSERT_TRUE(loaded->load((dir / "long.xls").string()));
    EXPECT_EQ(std::string(loaded->getSheet(0)->readStr(0, 0)).size(), xls::kMaxTextLength);
    EXPECT_EQ(std::string(loaded->getSheet(0)->readStr(1, 0)).size(), xls::kMaxTextLength - 1 + 3);
}

TEST(Book, SeveralSheetsKeepTheirOrderAndNames) {
    const auto dir = xls_test::freshDir("sheets");
    auto book = xls::createBook();
    book->addSheet("Sheet1")->writeNum(0, 0, 1);
    book->addSheet("第二")->writeStr(4, 4, "two");
    book->addSheet("empty");
    auto loaded = roundTrip(*book, dir / "s.xls");
    ASSERT_EQ(loaded->sheetCount(), 3);
    EXPECT_EQ(loaded->getSheet(1)->name(), "第二");
    EXPECT_STREQ(loaded->getSheet(1)->readStr(4, 4), "two");
    EXPECT_EQ(loaded->getSheet(0)->readNum(0, 0), 1.0);
    EXPECT_EQ(loaded->getSheet(2)->lastRow(), -1);
}

TEST(Book, InvalidUtf8IsReplacedNotRefused) {
    const auto dir = xls_test::freshDir("utf8");
    auto book = xls::createBook();
    book->addSheet("Sheet1")->writeStr(0, 0,
                                       std::string("a\xff"
                                                   "b"));
    auto loaded = roundTrip(*book, dir / "u.xls");
    EXPECT_STREQ(loaded->getSheet(0)->readStr(0, 0),
                 "a\xEF\xBF\xBD"
                 "b");
}

TEST(Book, SaveFailuresAreReportedAndKeepTheOldFile) {
    const auto dir = xls_test::freshDir("savefail");
    auto empty = xls::createBook();
    EXPECT_FALSE(empty->save((dir / "none.xls").string()));
    EXPECT_FALSE(empty->errorMessage().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "none.xls"));

    auto book = xls::createBook();
    book->addSheet("Sheet1")->writeNum(0, 0, 1);
    EXPECT_FALSE(book->save((dir / "missing-folder" / "a.xls").string()));
    EXPECT_FALSE(book->errorMessage().empty());
}

TEST(Book, LoadReplacesTheSheets) {
    const auto dir = xls_test::freshDir("reload");
    auto book = xls::createBook();
    book->addSheet("Sheet1")->writeNum(0, 0, 1);
    ASSERT_TRUE(book->save((dir / "a.xls").string()));
    auto other = xls::createBook();
    other->addSheet("old one");
    other->addSheet("old two");
    ASSERT_TRUE(other->load((dir / "a.xls").string()));
    EXPECT_EQ(other->sheetCount(), 1);
    EXPECT_FALSE(other->load((dir / "missing.xls").string()));
    EXPECT_EQ(other->sheetCount(), 0);
    EXPECT_EQ(other->getSheet(0), nullptr);
}

TEST(DaySerial, DatesAndTimesBecomeSerials) {
    EXPECT_EQ(xls::daySerial("1899-12-31"), 1.0);
    EXPECT_EQ(xls::daySerial("2024-03-01"), 45352.0);
    EXPECT_EQ(xls::daySerial("2024-03-01 12:00:00"), 45352.5);
    EXPECT_EQ(xls::daySerial("06:00:00"), 0.25);
    EXPECT_EQ(xls::daySerial("2024-02-30"), 0.0);
    EXPECT_EQ(xls::daySerial("garbage"), 0.0);
    EXPECT_EQ(xls::daySerial(""), 0.0);
}
