// "List of Stations": replacing a station, scanning batch numbers into a
// station, the height edit, the batch verification (scan right, scan wrong)
// as the main window runs it, the password-guarded switch, both languages.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "access/password_store.h"
#include "access/screens/password_dialog.h"
#include "machine/machine_parameters.h"
#include "program/screens/batch_scan_dialog.h"
#include "program/screens/station_list_dialog.h"
#include "program_screens_support.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;
using program_screens_test::record;

namespace {

class StationListTest : public screen_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        machineParameters().materialVerification = 0;
        materialVerificationFlags().batchVerified = false;
        fill(program);
    }
    // Command words in the display language of the moment.
    static void fill(ProgramList& program) {
        program.append(record(1, 4, "R100", ProgramCommand::Check, "LOT-A"));
        program.append(record(2, 4, "R100", ProgramCommand::Uncheck, "LOT-A"));
        program.append(record(3, 4, "", ProgramCommand::Mark));
        program.append(record(4, 4, "", ProgramCommand::Break));
        program.append(record(5, 2, "C22", ProgramCommand::Check, "LOT-C"));
        program.append(record(6, 7, "D1", ProgramCommand::Check));
        program.append(record(7, 1, "", ProgramCommand::Stop));
    }
    void TearDown() override {
        machineParameters().materialVerification = 0;
        platform::setSettingsFile({});
        ScreenTest::TearDown();
    }

    QString cell(const StationListDialog& dialog, int station, int column) const {
        QTableWidgetItem* item = dialog.rowTable().item(station - 1, column);
        return item != nullptr ? item->text() : QString();
    }
    QString status(const StationListDialog& dialog) const {
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (label->property(kValueProperty).toBool())
                return label->text();
        }
        return {};
    }
    QPushButton* button(QWidget& dialog, const QString& text) const {
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == text)
                return b;
        }
        return nullptr;
    }
    // The scanning dialog open now gets `text` and OK.
    void scan(StationListDialog& dialog, const QString& text, bool expectRescanLine) {
        BatchScanDialog* scanning = dialog.scanDialog();
        ASSERT_NE(scanning, nullptr) << "no scanning dialog open";
        EXPECT_TRUE(scanning->isVisible());
        EXPECT_EQ(scanning->rescanLineShown(), expectRescanLine);
        auto* field = scanning->findChild<QLineEdit*>("batchNumber");
        EXPECT_EQ(scanning->focusWidget(), field);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);  // the scanner ends with Enter
        QApplication::processEvents();
    }

    ProgramList program;
};

}  // namespace

TEST_F(StationListTest, ReplacingAStationMovesEveryRecordOrIsRefused) {
    StationListDialog dialog(program);
    QSignalSpy edited(&dialog, &StationListDialog::programEdited);
    EXPECT_EQ(dialog.rowTable().rowCount(), 12);
    EXPECT_EQ(dialog.rowTable().columnCount(), 6);
    EXPECT_EQ(cell(dialog, 4, 1), "R100");
    EXPECT_EQ(cell(dialog, 4, 4), "2");
    EXPECT_EQ(cell(dialog, 9, 4), "");

    auto* from = dialog.findChild<QLineEdit*>("replaceFrom");
    auto* to = dialog.findChild<QLineEdit*>("replaceTo");
    QPushButton* sure = button(dialog, "Sure");
    ASSERT_NE(sure, nullptr);

    from->setText("4");
    to->setText("13");
    sure->click();
    to->setText("2");  // station 2 is in use
    sure->click();
    EXPECT_EQ(takeMessages(),
              (std::vector<std::string>{
                  "The station is out of range",
                  "The station is using already , please select unused replacement"}));
    EXPECT_EQ(edited.count(), 0);
    EXPECT_FALSE(dialog.programChanged());

    to->setText("9");
    sure->click();
    EXPECT_TRUE(takeMessages().empty());
    for (int i : {0, 1, 2, 3})  // the mark and break records go along
        EXPECT_EQ(program.at(i)->field(kFieldStation), "9") << i;
    EXPECT_EQ(program.at(4)->field(kFieldStation), "2");
    EXPECT_EQ(cell(dialog, 9, 1), "R100");
    EXPECT_EQ(cell(dialog, 9, 4), "2");
    EXPECT_EQ(cell(dialog, 4, 1), "");
    EXPECT_EQ(cell(dialog, 4, 4), "");
    EXPECT_EQ(edited.count(), 1);
    EXPECT_TRUE(dialog.programChanged());

    // Height: the one cell edited in place, a number for the station's records.
    QTableWidgetItem* height = dialog.rowTable().item(8, 5);
    EXPECT_TRUE(height->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(dialog.rowTable().item(8, 4)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(dialog.rowTable().item(2, 5)->flags() & Qt::ItemIsEditable);  // no Counts
    height->setText("4.5");
    EXPECT_EQ(cell(dialog, 9, 5), "4.500");
    EXPECT_EQ(program.at(0)->field(kFieldHeight), "4.500");
    EXPECT_EQ(program.at(1)->field(kFieldHeight), "4.500");
    EXPECT_EQ(program.at(2)->field(kFieldHeight), "3.000");  // the mark keeps its own
    dialog.rowTable().item(8, 5)->setText("-.-");
    EXPECT_EQ(cell(dialog, 9, 5), "4.500");
    EXPECT_EQ(edited.count(), 2);
}

TEST_F(StationListTest, ScanningABatchNumberIntoAStation) {
    StationListDialog dialog(program);
    dialog.show();
    // Verification off: choosing a row opens nothing.
    emit dialog.rowTable().cellActivated(6, 1);
    EXPECT_EQ(dialog.scanDialog(), nullptr);

    machineParameters().materialVerification = 1;
    dialog.refresh();
    EXPECT_EQ(dialog.rowTable().columnCount(), 7);
    EXPECT_EQ(cell(dialog, 4, 6), "LOT-A");
    EXPECT_FALSE(materialVerificationFlags().batchNumbersComplete);  // station 7 has none

    emit dialog.rowTable().cellActivated(8, 1);  // station 9: no Counts, nothing opens
    EXPECT_EQ(dialog.scanDialog(), nullptr);
    emit dialog.rowTable().cellActivated(6, 1);
    scan(dialog, "LOT-D", false);
    EXPECT_EQ(dialog.scanDialog(), nullptr);
    EXPECT_EQ(program.at(5)->field(kFieldBatch), "LOT-D");
    EXPECT_EQ(cell(dialog, 7, 6), "LOT-D");
    EXPECT_TRUE(materialVerificationFlags().batchNumbersComplete);
    EXPECT_TRUE(dialog.programChanged());

    // Closing the dialog without OK leaves the batch number as it was.
    emit dialog.rowTable().cellActivated(6, 1);
    ASSERT_NE(dialog.scanDialog(), nullptr);
    dialog.scanDialog()->reject();
    QApplication::processEvents();
    EXPECT_EQ(program.at(5)->field(kFieldBatch), "LOT-D");
}

TEST_F(StationListTest, VerificationScanWrongThenRight) {
    machineParameters().materialVerification = 1;
    StationListDialog dialog(program);
    QSignalSpy reports(&dialog, &StationListDialog::verificationReported);
    // As the main window calls it after a plug-in failure on station 4.
    dialog.verifyStations("Plug-in failure Station:4", {4, 2});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(status(dialog), "Plug-in failure Station:4");
    const QTableWidgetItem* four = dialog.rowTable().item(3, 0);
    EXPECT_EQ(four->foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(four->background().color(), QColor(0xEC, 0xE9, 0xD8));
    EXPECT_EQ(dialog.rowTable().item(1, 0)->background().color(), QColor(Qt::white));

    scan(dialog, "LOT-X", false);
    EXPECT_EQ(status(dialog),
              "The batch number of materials is incorrect. Please check the materials. LOT-X");
    scan(dialog, "LOT-A", true);  // the second dialog asks for a rescan
    EXPECT_EQ(dialog.scanDialog(), nullptr);
    EXPECT_EQ(status(dialog),
              "Material batch number is correct, please press the start-button to continue");
    ASSERT_EQ(reports.count(), 2);
    EXPECT_FALSE(reports[0][0].toBool());
    EXPECT_TRUE(reports[1][0].toBool());
    EXPECT_TRUE(materialVerificationFlags().batchVerified);
    EXPECT_FALSE(dialog.verification().running());
}

TEST_F(StationListTest, ThreeWrongScansEndTheVerificationThenTheEntryFieldVerifies) {
    machineParameters().materialVerification = 1;
    StationListDialog dialog(program);
    QSignalSpy reports(&dialog, &StationListDialog::verificationReported);
    dialog.verifyStations("Station Error :2", {2});
    auto* entry = dialog.findChild<QLineEdit*>("materialNumber");
    EXPECT_TRUE(entry->isEnabled());
    scan(dialog, "W1", false);
    // A second call while the scan runs changes the status line only.
    dialog.verifyStations("Material batch number error", {2});
    EXPECT_EQ(status(dialog), "Material batch number error");
    scan(dialog, "W2", true);
    scan(dialog, "W3", true);
    EXPECT_EQ(dialog.scanDialog(), nullptr);
    EXPECT_EQ(status(dialog), "Three consecutive scans were incorrect, W3");
    EXPECT_EQ(materialVerificationFlags().lastMessage(),
              "Three consecutive scans were incorrect, W3");
    ASSERT_EQ(reports.count(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(reports[i][0].toBool());
    EXPECT_FALSE(materialVerificationFlags().batchVerified);

    // The material number field for the station in hand.
    QTest::keyClicks(entry, "LOT-Q");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(status(dialog),
              "The batch number of materials is incorrect. Please check the materials. LOT-Q");
    EXPECT_TRUE(entry->text().isEmpty());
    EXPECT_TRUE(entry->isEnabled());
    QTest::keyClicks(entry, "LOT-C");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(entry->text().isEmpty());
    EXPECT_FALSE(entry->isEnabled());
    ASSERT_EQ(reports.count(), 4);
    EXPECT_TRUE(reports[3][0].toBool());
    EXPECT_TRUE(materialVerificationFlags().batchVerified);
}

TEST_F(StationListTest, WithVerificationOffTheStationsAreOnlyPainted) {
    StationListDialog dialog(program);
    QSignalSpy reports(&dialog, &StationListDialog::verificationReported);
    dialog.verifyStations("Station Error :4 7", {4, 7});
    EXPECT_EQ(dialog.scanDialog(), nullptr);
    EXPECT_EQ(reports.count(), 0);
    EXPECT_EQ(dialog.rowTable().item(3, 1)->foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(dialog.rowTable().item(6, 1)->foreground().color(), QColor(0xFF, 0, 0));
    EXPECT_EQ(dialog.rowTable().item(1, 1)->foreground().color(), QColor(Qt::black));
    EXPECT_FALSE(dialog.findChild<QLineEdit*>("materialNumber")->isEnabled());
}

TEST_F(StationListTest, TheBatchNumberSwitchNeedsThePassword) {
    const auto dir = screen_test::freshDir("stations-password");
    platform::setSettingsFile(dir / "registry.ini");
    initialisePasswords();
    StationListDialog dialog(program);
    QSignalSpy switched(&dialog, &StationListDialog::materialVerificationSwitched);
    dialog.show();
    auto* useBatch = dialog.findChild<QCheckBox*>();
    ASSERT_NE(useBatch, nullptr);

    screen_test::onNextDialog<PasswordDialog>([](PasswordDialog* password) {
        password->reject();  // the operator gives up
    });
    useBatch->click();
    EXPECT_FALSE(useBatch->isChecked());
    EXPECT_EQ(machineParameters().materialVerification, 0);
    EXPECT_EQ(switched.count(), 0);

    screen_test::onNextDialog<PasswordDialog>([](PasswordDialog* password) {
        password->findChild<QLineEdit*>("password")->setText(kDefaultPassword);
        for (QPushButton* b : password->findChildren<QPushButton*>()) {
            if (b->text() == "Ensure")
                b->click();
        }
    });
    useBatch->click();
    EXPECT_TRUE(useBatch->isChecked());
    EXPECT_EQ(machineParameters().materialVerification, 1);
    ASSERT_EQ(switched.count(), 1);
    EXPECT_TRUE(switched[0][0].toBool());
    EXPECT_EQ(dialog.rowTable().columnCount(), 7);
}

TEST_F(StationListTest, EveryCaptionInBothLanguagesAndScreenshots) {
    machineParameters().materialVerification = 1;
    StationListDialog dialog(program);
    dialog.verifyStations("Station Error :7: Element's name:D1: Dirction:N", {7});
    ASSERT_NE(dialog.scanDialog(), nullptr);
    screen_test::expectLanguageSwitchReachesEveryCaption(&dialog);
    screen_test::screenshot(&dialog, "stations-en");
    dialog.close();
    screen_test::setLanguage(kChinese);
    ProgramList loadedInChinese;
    fill(loadedInChinese);
    StationListDialog chinese(loadedInChinese);
    chinese.verifyStations("站位错误7: 元件名: D1: 方向: N", {7});  // texts come in Chinese now
    screen_test::screenshot(&chinese, "stations-zh");

    BatchScanDialog scanning;
    scanning.setRescanLineShown(true);
    screen_test::expectLanguageSwitchReachesEveryCaption(&scanning);
    EXPECT_EQ(scanning.windowTitle(), "Scanning of Material Batch Number ");
}
