// The statistics screen: both pies and the values of the record shown, the
// history, splices, zero clearing, the report saved locally and to a
// removable drive with their messages, both languages, screenshots.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "screen_test_support.h"
#include "stats/production_statistics.h"
#include "stats/removable_drives.h"
#include "stats/screens/statistics_dialog.h"
#include "stats/statistics_report.h"

using namespace corvane;
using namespace corvane::screens;
namespace fs = std::filesystem;

namespace {

class StatisticsScreenTest : public screen_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        home = screen_test::freshDir("statistics-home");
        setenv("CORVANE_HOME", home.c_str(), 1);
        drives = screen_test::freshDir("statistics-drives");
        fs::create_directories(drives / "block" / "sdb" / "sdb1");
        std::ofstream(drives / "block" / "sdb" / "removable") << "1\n";
        std::ofstream(drives / "mounts") << "/dev/sda1 / ext4 rw 0 0\n";
        setRemovableDriveSources({drives / "block", drives / "mounts"});

        // 250 of 1000 planned insertions (100 boards of a 10-record program),
        // 2 hours of production in 3 hours switched on.
        statistics.SetProgram("demo.xls", 10);
        statistics.SetPlan(100, 16.0);
        for (int i = 0; i < 250; ++i) {
            statistics.CountInsert();
            i < 240 ? statistics.CountSuccess() : statistics.CountFailure();
        }
        for (int i = 0; i < 25; ++i)
            statistics.CountBoard();
        statistics.CountShortageAlarm();
        statistics.AddProductionTime(7200);
        statistics.AddBootUpTime(3 * 3600 + 61);
    }
    void TearDown() override {
        setRemovableDriveSources({});
        unsetenv("CORVANE_HOME");
        ScreenTest::TearDown();
    }

    // The value beside a caption.
    static QString value(const StatisticsDialog& dialog, const QString& caption) {
        const auto labels = dialog.findChildren<QLabel*>();
        for (int i = 0; i + 1 < labels.size(); ++i) {
            if (labels[i]->text() == caption)
                return labels[i + 1]->text();
        }
        return "<no " + caption + ">";
    }
    static QPushButton* button(const StatisticsDialog& dialog, const QString& text) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == text)
                return b;
        }
        return nullptr;
    }
    static std::string readAll(const fs::path& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    ProductionStatistics statistics;
    fs::path home;
    fs::path drives;
};

}  // namespace

TEST_F(StatisticsScreenTest, BothPiesAndTheValuesOfTheRecord) {
    StatisticsDialog dialog(statistics);
    const StatisticsRecord record = statistics.Current();
    QPieSeries& completion = dialog.completionPie();
    ASSERT_EQ(completion.count(), 2);
    EXPECT_DOUBLE_EQ(completion.slices()[0]->value(), 0.25);
    EXPECT_DOUBLE_EQ(completion.slices()[1]->value(), 0.75);
    EXPECT_EQ(completion.slices()[0]->label(), "Completion 25.00%");
    EXPECT_EQ(completion.slices()[1]->label(), "Uncompleted 75.00%");
    EXPECT_EQ(completion.slices()[0]->color(), QColor(0xd0, 0x20, 0x20));  // red
    EXPECT_EQ(completion.slices()[1]->color(), QColor(0x20, 0xa0, 0x40));  // green
    QPieSeries& utilization = dialog.utilizationPie();
    ASSERT_EQ(utilization.count(), 2);
    ASSERT_GT(record.utilizationRate(), 0.0);
    ASSERT_LT(record.utilizationRate(), 1.0);
    EXPECT_DOUBLE_EQ(utilization.slices()[0]->value(), record.utilizationRate());
    EXPECT_DOUBLE_EQ(utilization.slices()[1]->value(), 1.0 - record.utilizationRate());
    EXPECT_TRUE(utilization.slices()[0]->label().startsWith("Utilization "));
    EXPECT_TRUE(utilization.slices()[1]->label().startsWith("Difference "));

    EXPECT_EQ(value(dialog, "FileName"), "demo.xls");
    EXPECT_EQ(value(dialog, "Number of inserts"), "250");
    EXPECT_EQ(value(dialog, "Number of successes"), "240");
    EXPECT_EQ(value(dialog, "Number of Failure"), "10");
    EXPECT_EQ(value(dialog, "Material shortage alarm times"), "1");
    EXPECT_EQ(value(dialog, "Running time"), "02:00:00");
    EXPECT_EQ(value(dialog, "Starting up time"), "03:01:01");
    EXPECT_EQ(value(dialog, "Number produced"), "25 / 25");
    EXPECT_FALSE(value(dialog, "System time").isEmpty());

    // While the screen is shown its one-second clock follows the record.
    dialog.show();
    statistics.AddProductionTime(60);
    EXPECT_TRUE(QTest::qWaitFor([&] { return value(dialog, "Running time") == "02:01:00"; }, 3000));
    dialog.hide();

    // More inserts than planned: the pie is full, the label tells the figure.
    for (int i = 0; i < 1000; ++i)
        statistics.CountInsert();
    dialog.refresh();
    EXPECT_DOUBLE_EQ(completion.slices()[0]->value(), 1.0);
    EXPECT_DOUBLE_EQ(completion.slices()[1]->value(), 0.0);
    EXPECT_EQ(completion.slices()[0]->label(), "Completion 125.00%");
}

TEST_F(StatisticsScreenTest, SplicesZeroClearingAndTheHistory) {
    StatisticsDialog dialog(statistics);
    auto* splices = dialog.findChild<QLineEdit*>("splices");
    splices->setText("4");
    button(dialog, "Set spellings")->click();
    EXPECT_EQ(statistics.Current().splicesPerBoard, 4);
    EXPECT_EQ(value(dialog, "Number produced"), "25 / 100");
    splices->setText("0");  // a board is at least one small board
    button(dialog, "Set spellings")->click();
    EXPECT_EQ(statistics.Current().splicesPerBoard, 1);
    EXPECT_EQ(splices->text(), "1");

    button(dialog, "Zero clearing")->click();
    EXPECT_TRUE(takeMessages().empty());  // no report written, nothing to say
    EXPECT_FALSE(fs::exists(home / "Statistical"));
    auto* records = dialog.findChild<QComboBox*>();
    ASSERT_EQ(records->count(), 2);
    EXPECT_EQ(dialog.shownEntry(), 0);
    EXPECT_EQ(value(dialog, "Number of inserts"), "0");
    EXPECT_DOUBLE_EQ(dialog.completionPie().slices()[0]->value(), 0.0);
    dialog.showRecord(1);
    EXPECT_EQ(value(dialog, "Number of inserts"), "250");
    EXPECT_DOUBLE_EQ(dialog.completionPie().slices()[0]->value(), 0.25);

    // A record closed behind the screen (a program opened) joins the list.
    statistics.CountInsert();
    statistics.CloseRecord();
    dialog.refresh();
    EXPECT_EQ(records->count(), 3);
    EXPECT_EQ(value(dialog, "Number of inserts"), "250");  // the shown one stays
}

TEST_F(StatisticsScreenTest, SavingLocallyAndToARemovableDrive) {
    StatisticsDialog dialog(statistics);
    const std::time_t before = std::time(nullptr);
    button(dialog, "Local Save")->click();
    const fs::path local = statisticsReportFile(home, before);
    ASSERT_TRUE(fs::exists(local)) << local;
    const std::string report = readAll(local);
    EXPECT_NE(report.find("Program Name: demo.xls\n"), std::string::npos);
    EXPECT_NE(report.find("Number of inserts  250\n"), std::string::npos);
    EXPECT_NE(report.find("Success rate: 96.00%\n"), std::string::npos);
    EXPECT_EQ(takeMessages(),
              std::vector<std::string>{"The statistics report was saved in " + local.string()});
    EXPECT_EQ(statistics.Current().inserts, 250);  // saving keeps the record

    // No removable drive: the message, nothing written anywhere.
    button(dialog, "U disk save")->click();
    EXPECT_EQ(takeMessages(), std::vector<std::string>{"No mobile device was found. Make sure "
                                                       "the mobile device is plugged in."});

    // A drive plugged in.
    const fs::path stick = drives / "media" / "STICK";
    fs::create_directories(stick);
    std::ofstream(drives / "mounts", std::ios::app)
        << "/dev/sdb1 " << stick.string() << " vfat rw 0 0\n";
    button(dialog, "U disk save")->click();
    const fs::path onStick = statisticsReportFile(stick, before);
    ASSERT_TRUE(fs::exists(onStick)) << onStick;
    EXPECT_NE(readAll(onStick).find("Number of inserts  250\n"), std::string::npos);
    EXPECT_EQ(takeMessages(),
              std::vector<std::string>{"The statistics report was saved in " + onStick.string()});

    // A second local save appends a second block to the same day's file.
    button(dialog, "Local Save")->click();
    const std::string twice = readAll(local);
    EXPECT_NE(twice.find("Number of inserts  250\n", twice.find("Number of inserts  250\n") + 1),
              std::string::npos);

    // A report that cannot be written is said so.
    fs::remove_all(home / "Statistical");
    std::ofstream(home / "Statistical") << "a file in the way";
    takeMessages();
    button(dialog, "Local Save")->click();
    const auto failed = takeMessages();
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].rfind("The statistics report could not be written: ", 0), 0u) << failed[0];
}

TEST_F(StatisticsScreenTest, EveryCaptionInBothLanguagesAndScreenshots) {
    statistics.CloseRecord();  // one record in the history, a fresh one current
    statistics.SetPlan(100, 16.0);
    for (int i = 0; i < 640; ++i)
        statistics.CountInsert();
    statistics.AddProductionTime(5400);
    statistics.AddBootUpTime(7300);
    StatisticsDialog dialog(statistics);
    screen_test::expectLanguageSwitchReachesEveryCaption(&dialog);
    screen_test::screenshot(&dialog, "statistics-en");
    screen_test::setLanguage(kChinese);
    EXPECT_EQ(dialog.completionPie().slices()[0]->label(), "完成 64.00%");
    screen_test::screenshot(&dialog, "statistics-zh");
}
