// The report block and its dated files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/program_directory.h"
#include "production/machine_state.h"
#include "stats/statistics_report.h"

using namespace corvane;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path freshDir(const std::string& name) {
    const auto dir =
        fs::temp_directory_path() / ("corvane-stats-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Local time in UTC so that the dates below are the dates of the files.
class ReportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
        Language = kEnglish;
    }
    void TearDown() override { Language = kEnglish; }

    static std::time_t utc(int year, int month, int day, int hour, int minute) {
        std::tm t{};
        t.tm_year = year - 1900;
        t.tm_mon = month - 1;
        t.tm_mday = day;
        t.tm_hour = hour;
        t.tm_min = minute;
        return timegm(&t);
    }

    static size_t count(const std::string& text, const std::string& what) {
        size_t n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }
};

StatisticsRecord sample() {
    StatisticsRecord r;
    r.programName = "/data/plan.xls";
    r.startTime = 0;
    r.plannedCount = 100;
    r.boardsProduced = 3;
    r.splicesPerBoard = 2;
    r.inserts = 8;
    r.successes = 6;
    r.failures = 2;
    r.passboardAlarms = 1;
    r.shortageAlarms = 2;
    r.otherAlarms = 3;
    r.bootUpTime = 25 * 3600;
    r.productionTime = 3 * 3600 + 25 * 60 + 7;
    r.standbyTime = 59;
    r.programRecords = 4;
    return r;
}

}  // namespace

TEST_F(ReportTest, BlockHasEveryLabelAndValue) {
    const std::string block = statisticsReportBlock(sample(), utc(2024, 3, 5, 14, 3));
    const std::string expected =
        "\n********************************************\n"
        "Program Name: /data/plan.xls\n"
        "Start time: Thu Jan  1 00:00:00 1970\n"
        "Save time: Tue Mar  5 14:03:00 2024\n"
        "Production Planning: 100\n"
        "Number produced: big board: 3; small board: 6\n"
        "Number of splices: 2\n"
        "Number of inserts  8\n"
        "Number of successes: 6\n"
        "Number of failures: 2\n"
        "Success rate: 75.00%\n"
        "Passboard alarm times: 1\n"
        "Number of alarms for material shortage: 2\n"
        "Number of other errors: 3\n"
        "Boot-up timing: 01:00:00\n"
        "Production Timing: 03:25:07\n"
        "Productivity: 13.67%\n"
        "Utilization rate: 712.21%\n"
        "Passboard waiting time: 00:00:00\n"
        "Shortage waiting time: 00:00:00\n"
        "Error insertion waiting time: 00:00:00\n"
        "Other Error Waiting Time: 00:00:00\n"
        "Standby time: 00:00:59\n"
        "\n";
    EXPECT_EQ(block, expected);

    Language = kChinese;
    const std::string chinese = statisticsReportBlock(sample(), utc(2024, 3, 5, 14, 3));
    EXPECT_NE(chinese.find("程序名称: /data/plan.xls\n"), std::string::npos);
    EXPECT_NE(chinese.find("已生产数目: 大板: 3;  小板: 6\n"), std::string::npos);
    EXPECT_NE(chinese.find("插入总数: 8\n"), std::string::npos);
    EXPECT_NE(chinese.find("稼动率: 712.21%\n"), std::string::npos);
    EXPECT_NE(chinese.find("待机时间: 00:00:59\n"), std::string::npos);
}

TEST_F(ReportTest, NoInsertsGivesZeroRatesWithTwoDecimals) {
    StatisticsRecord r;
    r.productionTime = 864;  // a hundredth of the planned 24 hours
    const std::string block = statisticsReportBlock(r, utc(2024, 1, 1, 0, 0));
    EXPECT_NE(block.find("Success rate: 0.00%\n"), std::string::npos);
    EXPECT_NE(block.find("Productivity: 0.00%\n"), std::string::npos);
    EXPECT_NE(block.find("Utilization rate: 1.00%\n"), std::string::npos);
}

TEST_F(ReportTest, SameDayAppendsNewDayNewFileNewMonthNewFolder) {
    const fs::path root = freshDir("days");
    ASSERT_TRUE(writeStatisticsReport(root, sample(), utc(2024, 3, 31, 10, 0)).written);
    const ReportResult second = writeStatisticsReport(root, sample(), utc(2024, 3, 31, 23, 59));
    ASSERT_TRUE(second.written) << second.error;
    EXPECT_EQ(second.file, root / "Statistical" / "2024-03" / "2024-03-31.txt");
    const std::string day = readAll(second.file);
    EXPECT_EQ(count(day, "********************************************"), 2u);
    EXPECT_EQ(count(day, "Program Name: "), 2u);

    const ReportResult nextDay = writeStatisticsReport(root, sample(), utc(2024, 4, 1, 0, 1));
    ASSERT_TRUE(nextDay.written);
    EXPECT_EQ(nextDay.file, root / "Statistical" / "2024-04" / "2024-04-01.txt");
    EXPECT_EQ(count(readAll(nextDay.file), "Program Name: "), 1u);
    ASSERT_TRUE(writeStatisticsReport(root, sample(), utc(2024, 4, 2, 8, 0)).written);
    EXPECT_TRUE(fs::exists(root / "Statistical" / "2024-04" / "2024-04-02.txt"));
    EXPECT_EQ(readAll(second.file), day);  // earlier days untouched
}

TEST_F(ReportTest, AFileThatCannotBeWrittenIsReported) {
    const fs::path root = freshDir("blocked");
    std::ofstream(root / "Statistical").close();  // a file where the folder must go
    const ReportResult result = writeStatisticsReport(root, sample(), utc(2024, 3, 31, 10, 0));
    EXPECT_FALSE(result.written);
    EXPECT_FALSE(result.error.empty());

    const fs::path other = freshDir("blocked-file");
    const fs::path file = statisticsReportFile(other, utc(2024, 3, 31, 10, 0));
    fs::create_directories(file);  // a folder where the file must go
    const ReportResult again = writeStatisticsReport(other, sample(), utc(2024, 3, 31, 10, 0));
    EXPECT_FALSE(again.written);
    EXPECT_FALSE(again.error.empty());
}

TEST_F(ReportTest, SaveAndCloseWritesOnlyWithInserts) {
    const fs::path root = freshDir("saveclose");
    ProductionStatistics s;
    s.SetProgram("p.xls", 2);
    s.CountBoard();
    ReportResult result = s.SaveAndClose(root, utc(2024, 5, 6, 7, 8));
    EXPECT_FALSE(result.written);
    EXPECT_TRUE(result.error.empty());
    EXPECT_FALSE(fs::exists(root / "Statistical"));
    EXPECT_EQ(s.Current().boardsProduced, 0);  // closed all the same

    s.CountInsert();
    result = s.SaveAndClose(root, utc(2024, 5, 6, 7, 8));
    ASSERT_TRUE(result.written) << result.error;
    EXPECT_NE(readAll(result.file).find("Program Name: p.xls\n"), std::string::npos);
    EXPECT_EQ(s.History().size(), 1u);
    EXPECT_EQ(s.Current().inserts, 0);

    // The program directory is the default root.
    setenv("CORVANE_HOME", root.c_str(), 1);
    s.CountInsert();
    result = s.SaveAndClose(utc(2024, 5, 7, 7, 8));
    unsetenv("CORVANE_HOME");
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.file, root / "Statistical" / "2024-05" / "2024-05-07.txt");
}
