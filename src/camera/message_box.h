// The driver's few user-facing errors ("Invalible Mac address!", ...).
//
// The library draws nothing itself: a message goes to the installed sink, by
// default a line on stderr.
#pragma once

#include <functional>
#include <string>

namespace ostrel {

using MessageSink = std::function<void(const std::string& text, const std::string& caption)>;

void showMessage(const std::string& text, const std::string& caption);
// Installs a sink (nullptr: back to stderr). Returns the previous one.
MessageSink setMessageSink(MessageSink sink);

}  // namespace ostrel
