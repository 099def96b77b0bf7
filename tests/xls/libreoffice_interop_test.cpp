// LibreOffice Calc reads what the writer writes, and the reader reads what
// LibreOffice writes as "Excel 97-2003". Skips when soffice is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_files.h"
#include "xls/xls.h"

namespace {

bool haveSoffice() {
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

// Runs soffice headless with a private profile so parallel runs do not meet.
bool soffice(const std::filesystem::path& dir, const std::string& arguments) {
    const std::string command =
        "cd '" + dir.string() + "' && timeout 240 soffice -env:UserInstallation=file://" +
        (dir / "profile").string() + " --headless --norestore " + arguments + " >soffice.log 2>&1";
    return std::system(command.c_str()) == 0;
}

std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    bool any = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
        } else {
            field += c;
        }
        any = true;
    }
    if (!field.empty() || (!rows.back().empty()))
        rows.back().push_back(field);
    if (rows.back().empty())
        rows.pop_back();
    (void)any;
    return rows;
}

}  // namespace

class LibreOfficeInterop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveSoffice())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed: interop check skipped";
    }
};

TEST_F(LibreOfficeInterop, CalcConvertsAWrittenWorkbookToTheSameCells) {
    const auto dir = xls_test::freshDir("lo-export");
    auto book = xls::createBook();
    auto* sheet = book->addSheet("Sheet1");
    sheet->writeStr(0, 0, "No");
    sheet->writeStr(0, 1, "元件");
    sheet->writeStr(0, 2, "Batch number");
    sheet->writeNum(1, 0, 1);
    sheet->writeStr(1, 1, "R1 \"100k\", 1%");
    sheet->writeStr(1, 2, "00123");
    sheet->writeNum(2, 0, 2);
    sheet->writeStr(2, 1, "插件检测");
    sheet->writeNum(2, 2, 12.5);
    sheet->writeNum(3, 0, 3);
    sheet->writeNum(3, 2, -100.125);
    for (int r = 4; r < 200; ++r) {
        sheet->writeNum(r, 0, r);
        sheet->writeStr(r, 1, "part " + std::to_string(r));
        sheet->writeNum(r, 2, r * 2);
    }
    ASSERT_TRUE(book->save((dir / "written.xls").string()));
    ASSERT_TRUE(
        soffice(dir, "--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' written.xls"))
        << xls_test::readBytes(dir / "soffice.log");
    const auto rows = parseCsv(xls_test::readBytes(dir / "written.csv"));
    ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"No", "元件", "Batch number"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"1", "R1 \"100k\", 1%", "00123"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"2", "插件检测", "12.5"}));
    EXPECT_EQ(rows[3], (std::vector<std::string>{"3", "", "-100.125"}));
    EXPECT_EQ(rows[199], (std::vector<std::string>{"199", "part 199", "398"}));
}

TEST_F(LibreOfficeInterop, ReaderReadsAWorkbookCalcWroteFromCsv) {
    const auto dir = xls_test::freshDir("lo-import");
    xls_test::writeBytes(dir / "made.csv",
                         "No,元件,Width,Command\n"
                         "1,R1,7.5,插件检测\n"
                         "2,\"C2, big\",2.5,check\n"
                         "3,,10,\n");
    ASSERT_TRUE(soffice(dir, "--infilter=CSV:44,34,76,1 --convert-to 'xls:MS Excel 97' made.csv"))
        << xls_test::readBytes(dir / "soffice.log");
    auto book = xls::createBook();
    ASSERT_TRUE(book->load((dir / "made.xls").string())) << book->errorMessage();
    const xls::Sheet* sheet = book->getSheet(0);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->firstRow(), 0);
    EXPECT_EQ(sheet->lastRow(), 3);
    EXPECT_STREQ(sheet->readStr(0, 1), "元件");
    EXPECT_EQ(sheet->readNum(1, 0), 1.0);
    EXPECT_EQ(sheet->readNum(1, 2), 7.5);
    EXPECT_STREQ(sheet->readStr(1, 3), "插件检测");
    EXPECT_STREQ(sheet->readStr(2, 1), "C2, big");
    EXPECT_EQ(sheet->readNum(3, 2), 10.0);
    EXPECT_EQ(sheet->readStr(3, 1), nullptr);
    EXPECT_EQ(sheet->readNum(3, 3), 0.0);
}
