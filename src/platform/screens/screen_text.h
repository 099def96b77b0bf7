// Texts between the core (UTF-8 std::string, the display language chosen by
// tr) and Qt's QString.
#pragma once

#include <QString>
#include <string>

#include "platform/language.h"

namespace corvane::screens {

// The text of the current display language.
inline QString uiText(const char* english, const char* chinese) {
    return QString::fromUtf8(tr(english, chinese));
}
inline QString uiText(const std::string& text) {
    return QString::fromStdString(text);
}
inline QString uiText(const char* text) {
    return QString::fromUtf8(text);
}
inline std::string coreText(const QString& text) {
    return text.toStdString();
}

// Dynamic property that marks a label showing a value rather than a caption
// (a number, a name, a time): the language switch leaves its text alone.
inline constexpr const char* kValueProperty = "corvaneValue";

}  // namespace corvane::screens
