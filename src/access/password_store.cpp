// Password digest, store, verify, change, restore.
#include "access/password_store.h"

#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "platform/language.h"

namespace corvane {

namespace {

bool storeDigestOf(std::string_view password) {
    return platform::writeSetting(kPasswordKeyPath, kPasswordValueName, PasswordDigest(password));
}

// Characters, not bytes: a password typed in Chinese counts its characters.
size_t characterCount(std::string_view text) {
    size_t count = 0;
    for (char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

}  // namespace

std::string PasswordDigest(std::string_view password) {
    return toHex(md5(password, kPasswordDigestStart));
}

void initialisePasswords() {
    platform::createSettingsKey(kPasswordKeyPath);
    std::string stored;
    if (platform::readSetting(kPasswordKeyPath, kPasswordValueName, stored) && stored.empty()) {
        storeDigestOf(kDefaultPassword);
    }
}

std::string storedPasswordDigest() {
    std::string stored;
    platform::readSetting(kPasswordKeyPath, kPasswordValueName, stored);
    return stored;
}

bool verifyPassword(std::string_view typed) {
    const std::string stored = storedPasswordDigest();
    return !stored.empty() && stored == PasswordDigest(typed);
}

bool passwordLengthAccepted(std::string_view password) {
    const size_t length = characterCount(password);
    return length >= 6 && length <= 30;
}

PasswordChange changePassword(std::string_view oldPassword, std::string_view newPassword) {
    if (!verifyPassword(oldPassword))
        return PasswordChange::OldPasswordWrong;
    if (!passwordLengthAccepted(newPassword))
        return PasswordChange::BadLength;
    return storeDigestOf(newPassword) ? PasswordChange::Changed : PasswordChange::NotStored;
}

bool restorePassword() {
    return storeDigestOf(kDefaultPassword);
}

std::string passwordNotRightMessage() {
    return tr("The password is not right", "密码不正确");
}

std::string passwordLengthNote() {
    return tr("The password must less than 30 and more than 5", "密码必须大于5小于30个字符");
}

std::string passwordChangeMessage(PasswordChange result) {
    switch (result) {
        case PasswordChange::Changed:
            return tr("Password updated successfully", "密码更新成功");
        case PasswordChange::OldPasswordWrong:
            return tr("The old password is not right", "旧密码不正确");
        case PasswordChange::BadLength:
            return passwordLengthNote();
        case PasswordChange::NotStored:
            return tr("The password could not be stored", "密码无法保存");
    }
    return {};
}

std::string passwordRestoredMessage() {
    return tr("Password restore successfully", "密码恢复成功");
}

bool ensurePassword(std::string_view typed) {
    if (verifyPassword(typed))
        return true;
    platform::messageBox(passwordNotRightMessage());
    return false;
}

bool submitPasswordChange(std::string_view oldPassword, std::string_view newPassword) {
    const PasswordChange result = changePassword(oldPassword, newPassword);
    platform::messageBox(passwordChangeMessage(result));
    return result == PasswordChange::Changed;
}

bool submitPasswordRestore() {
    if (!restorePassword()) {
        platform::messageBox(passwordChangeMessage(PasswordChange::NotStored));
        return false;
    }
    platform::messageBox(passwordRestoredMessage());
    return true;
}

}  // namespace corvane
