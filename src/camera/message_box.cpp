// Message sink of the driver.
#include "camera/message_box.h"

#include <cstdio>
#include <mutex>

namespace ostrel {

namespace {

std::mutex& sinkMutex() {
    static std::mutex m;
    return m;
}

MessageSink& sink() {
    static MessageSink s;
    return s;
}

}  // namespace

void showMessage(const std::string& text, const std::string& caption) {
    MessageSink current;
    {
        std::lock_guard lock(sinkMutex());
        current = sink();
    }
    if (current) {
        current(text, caption);
        return;
    }
    std::fprintf(stderr, "ostrel: %s: %s\n", caption.c_str(), text.c_str());
}

MessageSink setMessageSink(MessageSink s) {
    std::lock_guard lock(sinkMutex());
    MessageSink previous = std::move(sink());
    sink() = std::move(s);
    return previous;
}

}  // namespace ostrel
