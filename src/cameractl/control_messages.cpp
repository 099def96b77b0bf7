// The control's message sink.
#include "cameractl/control_messages.h"

#include <mutex>

#include <QMessageBox>

namespace ostrelctl {

namespace {

std::mutex& sinkLock() {
    static std::mutex m;
    return m;
}

MessageSink& installed() {
    static MessageSink s;
    return s;
}

void showQtBox(const ControlMessage& m, QWidget* parent) {
    if (m.icon == BoxIcon::About) {
        QMessageBox::about(parent, m.caption, m.text);
        return;
    }
    QMessageBox box(m.icon == BoxIcon::Error ? QMessageBox::Critical : QMessageBox::NoIcon,
                    m.caption, m.text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

void setMessageSink(MessageSink sink) {
    std::lock_guard lock(sinkLock());
    installed() = std::move(sink);
}

void showMessage(const ControlMessage& message, QWidget* parent) {
    MessageSink sink;
    {
        std::lock_guard lock(sinkLock());
        sink = installed();
    }
    if (sink) {
        sink(message);
    } else {
        showQtBox(message, parent);
    }
}

}  // namespace ostrelctl
