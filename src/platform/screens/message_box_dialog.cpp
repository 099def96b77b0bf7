// Qt message boxes behind the core's message box seam.
#include "platform/screens/message_box_dialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/message_box.h"
#include "platform/screens/screen_text.h"

namespace corvane::screens {

namespace {

QMessageBox::Icon iconOf(platform::MessageIcon icon) {
    switch (icon) {
        case platform::MessageIcon::Information:
            return QMessageBox::Information;
        case platform::MessageIcon::Warning:
            return QMessageBox::Warning;
        case platform::MessageIcon::Error:
            return QMessageBox::Critical;
        case platform::MessageIcon::Question:
            return QMessageBox::Question;
        case platform::MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

bool show(const platform::MessageBoxRequest& request) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr)
        parent = QApplication::activeWindow();
    // The default caption is the program's name, as the machine's boxes had.
    const QString caption =
        request.caption.empty() ? QApplication::applicationDisplayName() : uiText(request.caption);
    QMessageBox box(iconOf(request.icon), caption, uiText(request.text), QMessageBox::NoButton,
                    parent);
    if (request.buttons == platform::MessageButtons::YesNo) {
        box.addButton(uiText("Yes", "是"), QMessageBox::YesRole);
        box.addButton(uiText("No", "否"), QMessageBox::NoRole);
    } else {
        box.addButton(uiText("OK", "确定"), QMessageBox::AcceptRole);
    }
    box.exec();
    const auto role = box.buttonRole(box.clickedButton());
    return role == QMessageBox::YesRole || role == QMessageBox::AcceptRole;
}

}  // namespace

void installMessageBoxDialogs() {
    platform::setMessageBoxSink([](const platform::MessageBoxRequest& request) {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr)
            return request.buttons == platform::MessageButtons::Ok;
        if (QThread::currentThread() == app->thread())
            return show(request);
        bool answer = false;
        QMetaObject::invokeMethod(
            app, [&] { answer = show(request); }, Qt::BlockingQueuedConnection);
        return answer;
    });
}

}  // namespace corvane::screens
