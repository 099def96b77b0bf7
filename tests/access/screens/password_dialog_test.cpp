// The password dialog: accepted, refused (it stays open), "Change" through
// the change dialog and back, the length rule, restore; both languages.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "access/password_store.h"
#include "access/screens/password_dialog.h"
#include "screen_test_support.h"

using namespace corvane;
using namespace corvane::screens;

namespace {

class PasswordDialogTest : public screen_test::ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        platform::setSettingsFile(screen_test::freshDir("password") / "registry.ini");
        initialisePasswords();
    }
    void TearDown() override {
        platform::setSettingsFile({});
        ScreenTest::TearDown();
    }
    static void click(QWidget* dialog, const QString& text) {
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text() == text) {
                b->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    static void type(QWidget* dialog, const char* field, const QString& text) {
        dialog->findChild<QLineEdit*>(field)->setText(text);
    }
};

}  // namespace

TEST_F(PasswordDialogTest, RightPasswordOpensWrongOneKeepsTheDialogOpen) {
    bool stayedOpen = false;
    screen_test::onNextDialog<PasswordDialog>([&](PasswordDialog* dialog) {
        EXPECT_EQ(dialog->findChild<QLineEdit*>("password")->echoMode(), QLineEdit::Password);
        type(dialog, "password", "582918");
        click(dialog, "Ensure");
        type(dialog, "password", "582917 ");  // exact: a trailing blank is wrong too
        click(dialog, "Ensure");
        stayedOpen = dialog->isVisible();
        type(dialog, "password", "582917");
        click(dialog, "Ensure");
    });
    EXPECT_TRUE(PasswordDialog::ask(nullptr));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(takeMessages(),
              (std::vector<std::string>{"The password is not right", "The password is not right"}));

    screen_test::onNextDialog<PasswordDialog>([](PasswordDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(PasswordDialog::ask(nullptr));
}

TEST_F(PasswordDialogTest, ChangeThroughTheChangeDialogThenRestore) {
    // "Change" leaves the password dialog for the change dialog; the old
    // password is checked, then the new one's length; then the password
    // dialog is back and takes the new password.
    screen_test::onNextDialog<PasswordDialog>([](PasswordDialog* dialog) {
        screen_test::onNextDialog<ChangePasswordDialog>([dialog](ChangePasswordDialog* change) {
            EXPECT_FALSE(dialog->isVisible());
            type(change, "oldPassword", "000000");
            type(change, "newPassword", "abcdef");
            click(change, "Change");
            type(change, "oldPassword", "582917");
            type(change, "newPassword", "abcde");
            click(change, "Change");
            EXPECT_TRUE(change->isVisible());
            type(change, "newPassword", "abcdef");
            click(change, "Change");
            EXPECT_FALSE(change->isVisible());
            screen_test::onNextDialog<PasswordDialog>([](PasswordDialog* again) {
                type(again, "password", "582917");  // the old one is gone
                click(again, "Ensure");
                type(again, "password", "abcdef");
                click(again, "Ensure");
            });
            // The same dialog comes back: let the watcher handle it again.
            dialog->setProperty("handledByTest", false);
        });
        click(dialog, "Change");
    });
    EXPECT_TRUE(PasswordDialog::ask(nullptr));
    EXPECT_EQ(takeMessages(), (std::vector<std::string>{
                                  "The old password is not right",
                                  "The password must less than 30 and more than 5",
                                  "Password updated successfully",
                                  "The password is not right",
                              }));
    EXPECT_TRUE(verifyPassword("abcdef"));

    ChangePasswordDialog change;
    change.show();
    click(&change, "Restore password");
    EXPECT_FALSE(change.isVisible());
    EXPECT_EQ(takeMessages(), std::vector<std::string>{"Password restore successfully"});
    EXPECT_TRUE(verifyPassword(kDefaultPassword));
    EXPECT_FALSE(verifyPassword("abcdef"));
}

TEST_F(PasswordDialogTest, EveryCaptionInBothLanguagesAndScreenshots) {
    PasswordDialog dialog;
    screen_test::expectLanguageSwitchReachesEveryCaption(&dialog);
    screen_test::screenshot(&dialog, "password-en");
    screen_test::setLanguage(kChinese);
    screen_test::screenshot(&dialog, "password-zh");
    screen_test::setLanguage(kEnglish);
    ChangePasswordDialog change;
    screen_test::expectLanguageSwitchReachesEveryCaption(&change);
    screen_test::screenshot(&change, "change-password-en");
}
