// The operator password that guards the motor test screen, the additional
// function selection and the batch number switch. Only its digest is kept, in
// the user's settings under the registry key path and value name the program
// has always used.
#pragma once

#include <string>
#include <string_view>

#include "access/md5_digest.h"

namespace corvane {

inline constexpr const char* kPasswordKeyPath =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Korvel";
inline constexpr const char* kPasswordValueName = "PassWord";
inline constexpr const char* kDefaultPassword = "582917";

// The chaining words the password digest starts from ("korv", "elPW", "-cor",
// "vane" read as big-endian words). Stored digests are only valid with
// these: never change them.
inline constexpr Md5Words kPasswordDigestStart{0x6B6F7276, 0x656C5057, 0x2D636F72, 0x76616E65};

// 32 lowercase hexadecimal digits.
std::string PasswordDigest(std::string_view password);

// Start-up: creates the key, and stores the default password's digest when
// the stored one is empty.
void initialisePasswords();
// The stored digest; empty when it cannot be read.
std::string storedPasswordDigest();
// The typed text's digest equals the stored one (exact, letter case counts).
bool verifyPassword(std::string_view typed);

// A new password has at least 6 and at most 30 characters.
bool passwordLengthAccepted(std::string_view password);

enum class PasswordChange { Changed, OldPasswordWrong, BadLength, NotStored };
// Checks the old password, then the new one's length, then stores it.
PasswordChange changePassword(std::string_view oldPassword, std::string_view newPassword);
// Stores the default password's digest without asking for the old one.
bool restorePassword();

// The dialogs' texts in the display language.
std::string passwordNotRightMessage();
std::string passwordChangeMessage(PasswordChange result);
std::string passwordRestoredMessage();
std::string passwordLengthNote();

// What the dialogs' buttons do, messages included.
//
// "Ensure": true when the password is right; otherwise the message and false
// (the dialog stays open).
bool ensurePassword(std::string_view typed);
// "Change": the result's message; true when the dialog closes (changed).
bool submitPasswordChange(std::string_view oldPassword, std::string_view newPassword);
// "Restore password": the default comes back, with its message.
bool submitPasswordRestore();

}  // namespace corvane
