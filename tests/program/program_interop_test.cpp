// Program files against LibreOffice Calc: Calc converts a written program to
// CSV with the same cells, and a workbook Calc makes from CSV reads as a
// program. Skips when soffice is not installed.
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "program/program_csv.h"
#include "program/program_file.h"
#include "program_test_support.h"

using namespace corvane;
using program_test::ProgramTest;

namespace {

bool haveSoffice() {
    return std::system("command -v soffice >/dev/null 2>&1") == 0;
}

bool soffice(const std::filesystem::path& dir, const std::string& arguments) {
    const std::string command =
        "cd '" + dir.string() + "' && timeout 240 soffice -env:UserInstallation=file://" +
        (dir / "profile").string() + " --headless --norestore " + arguments + " >soffice.log 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramInterop : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        if (!haveSoffice())
            GTEST_SKIP() << "LibreOffice (soffice) is not installed: interop check skipped";
    }
};

}  // namespace

TEST_F(ProgramInterop, CalcSeesTheCellsTheWriterWrote) {
    const auto dir = freshDir("lo-program");
    useChinese();
    ProgramList program;
    program.append(InsertionRecord({"9", "12.345", "-3.5", "45", "3", "TO-92", "三极管, NPN", "左",
                                    "2.5", "4.2", "插件检测", "00123"}));
    program.append(
        InsertionRecord({"9", "0", "0", "-90", "0", "", "", "", "10.0", "0", "跳过", "123"}));
    program.append(
        InsertionRecord({"9", "100", "200", "0", "12", "R", "R1", "", "7.5", "1", "停止", "12.5"}));
    ASSERT_TRUE(writeProgramFile((dir / "plan.xls").string(), program));
    ASSERT_TRUE(soffice(dir, "--convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' plan.xls"))
        << readAll(dir / "soffice.log");
    // Calc quotes text cells and leaves numbers bare: the batch numbers show
    // their cell types.
    EXPECT_EQ(readAll(dir / "plan.csv"),
              "\"序号\",\"X轴\",\"Y轴\",\"角度\",\"站位\",\"脚位\",\"元件\",\"方向\",\"脚宽\","
              "\"高度\",\"命令\",\"料号\"\n"
              "1,12.345,-3.5,45,3,\"TO-92\",\"三极管, NPN\",\"左\",2.5,4.2,\"插件检测\",\"00123\"\n"
              "2,0,0,-90,0,,,,10,0,\"跳过\",123\n"
              "3,100,200,0,12,\"R\",\"R1\",,7.5,1,\"停止\",\"12.5\"\n");
}

TEST_F(ProgramInterop, AWorkbookCalcMadeFromCsvReads) {
    const auto dir = freshDir("lo-made");
    std::ofstream(dir / "made.csv")
        << "No,X,Y,Angle,Station,Footprint,Name,Direction,Width,Height,Command,Batch\n"
           "1,10.5,20,90,3,TO-92,R1,L,7.50,4,插件检测,A-7\n"
           "2,1,2,0,3.9,,R1,,2.5,0,check,123\n"
           "3,5,5,0,-0.5,,C2,,5,0,mark,\n";
    ASSERT_TRUE(soffice(dir, "--infilter=CSV:44,34,76,1 --convert-to 'xls:MS Excel 97' made.csv"))
        << readAll(dir / "soffice.log");
    ProgramList program;
    const ProgramReadResult result =
        readProgramFile((dir / "made.xls").string(), program, ProgramScreen::MainWindow);
    ASSERT_TRUE(result.loaded()) << result.message;
    ASSERT_EQ(program.count(), 3);
    EXPECT_EQ(program.at(0)->fields(),
              (std::array<std::string, 12>{"1", "10.500", "20.000", "90.000", "3", "TO-92", "R1",
                                           "L", "7.5", "4.000", "check", "A-7"}));
    EXPECT_EQ(program.at(1)->field(kFieldStation), "3");
    EXPECT_EQ(program.at(1)->field(kFieldBatch), "123");
    EXPECT_EQ(program.at(2)->field(kFieldStation), "0");
    EXPECT_EQ(program.at(2)->field(kFieldCommand), "mark");
}
