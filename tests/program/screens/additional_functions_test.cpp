// "Additional function selection": opened only after the password, its OK
// sets the material-number verification switch.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "access/password_store.h"
#include "access/screens/password_dialog.h"
#include "machine/machine_parameters.h"
#include "program/screens/additional_functions_dialog.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;

namespace {

class AdditionalFunctionsTest : public screen_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        platform::setSettingsFile(screen_test::freshDir("functions") / "registry.ini");
        initialisePasswords();
        machineParameters().materialVerification = 0;
    }
    void TearDown() override {
        machineParameters().materialVerification = 0;
        platform::setSettingsFile({});
        ScreenTest::TearDown();
    }
    static void typePassword(const char* text) {
        screen_test::onNextDialog<PasswordDialog>([text](PasswordDialog* dialog) {
            dialog->findChild<QLineEdit*>("password")->setText(text);
            for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
                if (b->text() == "Ensure")
                    b->click();
            }
            // A refused password keeps the dialog open: the operator leaves.
            if (dialog->isVisible())
                dialog->reject();
        });
    }
};

}  // namespace

TEST_F(AdditionalFunctionsTest, PasswordFirstThenTheSwitch) {
    typePassword("wrong!");
    QPointer<QTimer> unexpected =
        screen_test::onNextDialog<AdditionalFunctionsDialog>([](AdditionalFunctionsDialog* dialog) {
            ADD_FAILURE() << "opened without the password";
            dialog->reject();
        });
    EXPECT_FALSE(runAdditionalFunctionSelection(nullptr));
    EXPECT_EQ(takeMessages(), std::vector<std::string>{"The password is not right"});
    delete unexpected.data();

    typePassword(kDefaultPassword);
    screen_test::onNextDialog<AdditionalFunctionsDialog>([](AdditionalFunctionsDialog* dialog) {
        const auto boxes = dialog->findChildren<QCheckBox*>();
        ASSERT_EQ(boxes.size(), 2);
        EXPECT_TRUE(boxes[1]->isHidden());  // automatic feeding is not offered
        EXPECT_FALSE(boxes[1]->isEnabled());
        boxes[0]->setChecked(true);
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text() == "OK")
                b->click();
        }
    });
    EXPECT_TRUE(runAdditionalFunctionSelection(nullptr));
    EXPECT_EQ(machineParameters().materialVerification, 1);

    // Opened again and left as it is: nothing changed.
    typePassword(kDefaultPassword);
    screen_test::onNextDialog<AdditionalFunctionsDialog>(
        [](AdditionalFunctionsDialog* dialog) { dialog->accept(); });
    EXPECT_FALSE(runAdditionalFunctionSelection(nullptr));
    EXPECT_EQ(machineParameters().materialVerification, 1);
}

TEST_F(AdditionalFunctionsTest, EveryCaptionInBothLanguages) {
    AdditionalFunctionsDialog dialog;
    screen_test::expectLanguageSwitchReachesEveryCaption(&dialog);
}
