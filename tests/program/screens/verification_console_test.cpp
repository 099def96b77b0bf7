// The batch verification as the main window runs it: a plug-in failure hands
// the station to the station list, Start is refused while the scan is wrong
// and goes on once the right batch number was scanned.
#include <QLineEdit>
#include <QTest>

#include "platform/window_messages.h"
#include "production/alarm_texts.h"
#include "production/production_fixture.h"
#include "program/screens/batch_scan_dialog.h"
#include "program/screens/station_list_dialog.h"

using namespace corvane;
using namespace corvane::screens;
using namespace corvane::testing;

namespace {

class VerificationConsoleTest : public ProductionTest {
  protected:
    void SetUp() override {
        ProductionTest::SetUp();
        useProgram({{"check", 3, 20, 10, 0, 3, "R-0207", "R1"},
                    {"check", 7, 30, 10, 0, 3, "C-0505", "C7"},
                    {"stop", 1, 0, 0, 0, 0}});
        startConsole();
        programList().at(1)->setField(kFieldBatch, "LOT-7");
        machineParameters().materialVerification = 1;
        materialVerificationFlags().batchVerified = false;
        console_->settings().NeedsReset = 0;

        // What the main window does with its station list screen.
        screen_ = std::make_unique<StationListDialog>(programList());
        console_->setVerificationHook(
            [this](const std::string& text, const std::vector<int>& stations) {
                screen_->verifyStations(text, stations);
            });
        QObject::connect(screen_.get(), &StationListDialog::verificationReported,
                         [this](bool verified) { console_->verificationResult(verified); });
    }
    void TearDown() override {
        screen_.reset();
        machineParameters().materialVerification = 0;
        ProductionTest::TearDown();
    }

    void scan(const QString& text) {
        BatchScanDialog* dialog = screen_->scanDialog();
        ASSERT_NE(dialog, nullptr);
        auto* field = dialog->findChild<QLineEdit*>("batchNumber");
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
    }

    std::unique_ptr<StationListDialog> screen_;
};

}  // namespace

TEST_F(VerificationConsoleTest, StartWaitsForTheRightBatchNumber) {
    machineState().CurrentRecord = 2;
    console_->window().send(MSG_ALARM, kAlarmPlugInFailureLeft, 1);
    EXPECT_TRUE(screen_->isVisible());
    ASSERT_NE(screen_->scanDialog(), nullptr) << "the scan is asked for at once";
    EXPECT_TRUE(console_->verificationPending());
    EXPECT_EQ(console_->stationsToVerify(), std::vector<int>{7});

    scan("LOT-6");
    EXPECT_TRUE(console_->verificationPending());
    // Start is refused and hands the stations to the screen again, which
    // goes on asking for the scan it waits for.
    console_->Start();
    EXPECT_EQ(console_->view().status, "Material batch number error");
    EXPECT_FALSE(console_->workersCreated());
    ASSERT_NE(screen_->scanDialog(), nullptr);
    EXPECT_TRUE(screen_->scanDialog()->rescanLineShown());

    scan("LOT-7");
    EXPECT_EQ(screen_->scanDialog(), nullptr);
    EXPECT_FALSE(console_->verificationPending());
    EXPECT_TRUE(console_->stationsToVerify().empty());
    EXPECT_TRUE(materialVerificationFlags().batchVerified);
    console_->Start();
    EXPECT_NE(console_->view().status, "Material batch number error");
    EXPECT_TRUE(console_->workersCreated());
    console_->Stop();
}

TEST_F(VerificationConsoleTest, WithoutVerificationTheStationsAreOnlyShown) {
    machineParameters().materialVerification = 0;
    machineState().setBadStations({3});
    console_->window().send(MSG_ALARM, kAlarmStationError, 1);
    EXPECT_TRUE(screen_->isVisible());
    EXPECT_EQ(screen_->scanDialog(), nullptr);
    EXPECT_FALSE(console_->verificationPending());
    EXPECT_EQ(screen_->verification().rowColours()[2], kStationToVerifyRow);
}
