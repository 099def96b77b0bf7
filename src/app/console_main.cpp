// corvane: the operator console and machine controller.
//
//   corvane [PROGRAM]    PROGRAM: a plug-in program (.xls, or .csv) opened at start-up
//
// One console per user: a second start brings the running window to the
// front and ends.
#include <QApplication>
#include <QFileInfo>
#include <memory>

#include "app/main_window.h"
#include "app/single_instance.h"
#include "platform/message_box.h"
#include "platform/screens/message_box_dialog.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tamsin"));

    corvane::SingleInstance instance;
    if (!instance.start())
        return 0;
    corvane::screens::installMessageBoxDialogs();

    int status = 0;
    {
        corvane::app::MainWindow window;
        QObject::connect(&instance, &corvane::SingleInstance::raiseRequested, &window,
                         &corvane::app::MainWindow::raiseToFront);
        window.show();
        const QStringList arguments = QApplication::arguments();
        if (arguments.size() > 1)
            window.openProgramAtStartUp(QFileInfo(arguments.at(1)).absoluteFilePath());
        status = QApplication::exec();
        // Workers that still report while the window closes print their
        // message boxes instead of waiting for a window that is going.
        corvane::platform::setMessageBoxSink(nullptr);
    }
    return status;
}
