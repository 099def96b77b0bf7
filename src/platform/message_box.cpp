// Message box sink.
#include "platform/message_box.h"

#include <cstdio>
#include <mutex>

namespace corvane::platform {

namespace {

std::mutex sinkMutex;
MessageBoxSink sink;

}  // namespace

void setMessageBoxSink(MessageBoxSink newSink) {
    std::lock_guard lock(sinkMutex);
    sink = std::move(newSink);
}

bool messageBox(const std::string& text, const std::string& caption, MessageIcon icon,
                MessageButtons buttons) {
    MessageBoxSink current;
    {
        std::lock_guard lock(sinkMutex);
        current = sink;
    }
    const MessageBoxRequest request{text, caption, icon, buttons};
    if (current) {
        return current(request);
    }
    if (caption.empty()) {
        std::fprintf(stderr, "%s\n", text.c_str());
    } else {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    }
    return buttons == MessageButtons::Ok;
}

}  // namespace corvane::platform
