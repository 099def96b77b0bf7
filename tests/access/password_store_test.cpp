// Passwords: start-up default, verify, change with the length rule, restore,
// and the dialogs' messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "access/password_store.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "production/machine_state.h"

using namespace corvane;
namespace fs = std::filesystem;

namespace {

class PasswordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("corvane-password-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        platform::setSettingsFile(dir_ / "registry.ini");
        Language = kEnglish;
        platform::setMessageBoxSink([this](const platform::MessageBoxRequest& request) {
            messages.push_back(request.text);
            return true;
        });
    }
    void TearDown() override {
        platform::setMessageBoxSink(nullptr);
        platform::setSettingsFile({});
        Language = kEnglish;
    }

    fs::path dir_;
    std::vector<std::string> messages;
};

}  // namespace

TEST_F(PasswordTest, StartUpStoresTheDefaultOnlyWhenEmpty) {
    EXPECT_EQ(storedPasswordDigest(), "");
    EXPECT_FALSE(verifyPassword("582917"));  // nothing stored: nothing accepted
    initialisePasswords();
    EXPECT_EQ(storedPasswordDigest(), PasswordDigest("582917"));
    std::string raw;
    ASSERT_TRUE(platform::readSetting("Software\\Microsoft\\Windows\\CurrentVersion\\Korvel",
                                      "PassWord", raw));
    EXPECT_EQ(raw, PasswordDigest("582917"));
    EXPECT_TRUE(verifyPassword("582917"));
    ASSERT_EQ(changePassword("582917", "secret1"), PasswordChange::Changed);
    initialisePasswords();  // a stored password stays
    EXPECT_TRUE(verifyPassword("secret1"));
    EXPECT_FALSE(verifyPassword("582917"));
}

TEST_F(PasswordTest, LengthRuleAndCase) {
    initialisePasswords();
    EXPECT_EQ(changePassword("582917", "12345"), PasswordChange::BadLength);
    EXPECT_EQ(changePassword("582917", std::string(31, 'x')), PasswordChange::BadLength);
    EXPECT_EQ(changePassword("582917", ""), PasswordChange::BadLength);
    EXPECT_TRUE(verifyPassword("582917"));  // refusals store nothing
    EXPECT_EQ(changePassword("582917", "123456"), PasswordChange::Changed);
    EXPECT_EQ(changePassword("123456", std::string(30, 'x')), PasswordChange::Changed);
    EXPECT_TRUE(verifyPassword(std::string(30, 'x')));
    EXPECT_EQ(changePassword("wrong", "abcdefg"), PasswordChange::OldPasswordWrong);
    EXPECT_EQ(changePassword(std::string(30, 'x'), "Secret"), PasswordChange::Changed);
    EXPECT_FALSE(verifyPassword("secret"));
    EXPECT_FALSE(verifyPassword("SECRET"));
    EXPECT_TRUE(verifyPassword("Secret"));
    EXPECT_TRUE(passwordLengthAccepted("密码密码密码"));  // six characters, eighteen bytes
    EXPECT_FALSE(passwordLengthAccepted("密码密码密"));
}

TEST_F(PasswordTest, RestoreBringsTheDefaultBack) {
    initialisePasswords();
    ASSERT_EQ(changePassword("582917", "another1"), PasswordChange::Changed);
    EXPECT_TRUE(restorePassword());
    EXPECT_TRUE(verifyPassword("582917"));
    EXPECT_FALSE(verifyPassword("another1"));
}

TEST_F(PasswordTest, DialogButtonsShowTheirMessages) {
    initialisePasswords();
    EXPECT_FALSE(ensurePassword("nope"));
    EXPECT_TRUE(ensurePassword("582917"));
    EXPECT_FALSE(submitPasswordChange("bad", "whatever1"));
    EXPECT_FALSE(submitPasswordChange("582917", "short"));
    EXPECT_TRUE(submitPasswordChange("582917", "longer1"));
    EXPECT_TRUE(submitPasswordRestore());
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "The password is not right", "The old password is not right",
                            "The password must less than 30 and more than 5",
                            "Password updated successfully", "Password restore successfully"}));
    messages.clear();
    Language = kChinese;
    EXPECT_FALSE(ensurePassword("nope"));
    EXPECT_FALSE(submitPasswordChange("bad", "whatever1"));
    EXPECT_FALSE(submitPasswordChange("582917", "short"));
    EXPECT_TRUE(submitPasswordChange("582917", "longer1"));
    EXPECT_TRUE(submitPasswordRestore());
    EXPECT_EQ(messages,
              (std::vector<std::string>{"密码不正确", "旧密码不正确", "密码必须大于5小于30个字符",
                                        "密码更新成功", "密码恢复成功"}));
}

TEST_F(PasswordTest, AStoreThatCannotBeReadAcceptsNothing) {
    fs::create_directories(dir_ / "blocked.ini");
    platform::setSettingsFile(dir_ / "blocked.ini");
    initialisePasswords();
    EXPECT_EQ(storedPasswordDigest(), "");
    EXPECT_FALSE(verifyPassword("582917"));
    EXPECT_FALSE(submitPasswordRestore());
    EXPECT_EQ(messages.back(), "The password could not be stored");
}
