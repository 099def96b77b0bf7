// Message boxes of the machine program, reachable from the core.
//
// The core never draws: it hands a message box to the sink the program
// installed (the console shows a dialog, the command-line program prints to
// stderr, tests record it). Any thread may call it; the sink decides how the
// window thread shows it.
#pragma once

#include <functional>
#include <string>

namespace corvane::platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, YesNo };

struct MessageBoxRequest {
    std::string text;
    std::string caption;  // empty: the default caption
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// Returns true for OK or Yes.
using MessageBoxSink = std::function<bool(const MessageBoxRequest&)>;

// Installs the sink (nullptr: back to printing on stderr).
void setMessageBoxSink(MessageBoxSink sink);

bool messageBox(const std::string& text, const std::string& caption = {},
                MessageIcon icon = MessageIcon::None, MessageButtons buttons = MessageButtons::Ok);

}  // namespace corvane::platform
