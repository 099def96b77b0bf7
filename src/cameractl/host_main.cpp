// ostrelctl-host: embeds one camera control in a window, or runs a script of
// method calls against it.
//
//   ostrelctl-host [--device N]           the window; N opens device N at once
//   ostrelctl-host --script FILE [--select TEXT]
//   ostrelctl-host --interface            prints the dispatch interface (Markdown)
//
// In scripted mode every call prints `NAME = RESULT OUT...`; a message box of
// the control prints `message: TEXT` and is not waited for; a dialog that
// opens prints `dialog: TITLE` and is answered by the host: "Select Device"
// with OK on the first line containing TEXT (the first line without
// --select, Cancel when no line matches), any other dialog is closed.
#include <QApplication>
#include <QCommandLineParser>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <set>

#include "cameractl/control_messages.h"
#include "cameractl/dispatch_table.h"
#include "cameractl/host_window.h"
#include "cameractl/ostrel_ctl.h"
#include "cameractl/script.h"
#include "cameractl/select_device_dialog.h"

using namespace ostrelctl;

namespace {

constexpr int kDialogWatchMs = 20;

void printLine(const std::string& line) {
    std::cout << line << '\n' << std::flush;
}

void answerDeviceDialog(SelectDeviceDialog& dialog, const QString& select, bool selectGiven) {
    printLine("dialog: " + dialog.windowTitle().toStdString());
    dialog.show();
    int row = dialog.list()->count() > 0 ? 0 : -1;
    if (selectGiven) {
        row = -1;
        for (int i = 0; i < dialog.list()->count(); ++i) {
            if (dialog.list()->item(i)->text().contains(select)) {
                row = i;
                break;
            }
        }
        if (row < 0 && dialog.list()->count() > 0) {
            dialog.cancelButton()->click();
            return;
        }
    }
    if (row >= 0) {
        dialog.list()->setCurrentRow(row);
    }
    dialog.okButton()->click();
    if (dialog.isVisible()) {
        // OK was refused (an empty list): the host gives up.
        dialog.cancelButton()->click();
    }
}

// Closes every modal dialog that opens while a call runs (the driver's pages).
void watchDialogs(QObject* owner) {
    auto* timer = new QTimer(owner);
    timer->setInterval(kDialogWatchMs);
    QObject::connect(timer, &QTimer::timeout, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog->objectName() == "selectDeviceDialog") {
            return;
        }
        printLine("dialog: " + dialog->windowTitle().toStdString());
        dialog->reject();
    });
    timer->start();
}

int runScript(const QString& path, const QString& select, bool selectGiven) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::cerr << "ostrelctl-host: cannot read " << path.toStdString() << ": "
                  << file.errorString().toStdString() << '\n';
        return 1;
    }
    ScriptError error;
    const auto calls = parseScript(file.readAll().toStdString(), &error);
    if (!calls) {
        std::cerr << "ostrelctl-host: " << path.toStdString() << ":" << error.line << ": "
                  << error.message << '\n';
        return 1;
    }
    setMessageSink([](const ControlMessage& m) { printLine("message: " + m.text.toStdString()); });
    OstrelCtl::setDeviceChooser([select, selectGiven](SelectDeviceDialog& dialog) {
        answerDeviceDialog(dialog, select, selectGiven);
    });
    HostWindow window;
    window.show();
    watchDialogs(&window);
    for (const ScriptCall& call : *calls) {
        if (call.method == nullptr) {
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < call.waitMs) {
                QCoreApplication::processEvents(QEventLoop::AllEvents,
                                                static_cast<int>(call.waitMs - clock.elapsed()));
            }
            continue;
        }
        const CallResult r = invoke(*window.control(), *call.method, call.args);
        QCoreApplication::processEvents();
        printLine(resultLine(*call.method, r));
    }
    setMessageSink(nullptr);
    OstrelCtl::setDeviceChooser(nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The interface table needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--interface") {
            std::cout << interfaceDocument();
            return 0;
        }
    }
    // Without a display a script still runs, off screen; the window cannot.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        bool scripted = false;
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            scripted = scripted || a == "--script" || a.rfind("--script=", 0) == 0;
        }
        if (!scripted) {
            std::cerr << "ostrelctl-host: no display (set DISPLAY, or QT_QPA_PLATFORM=offscreen)\n";
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("ostrelctl-host");
    QCommandLineParser parser;
    parser.setApplicationDescription("Host of one OstrelCtl camera control.");
    parser.addHelpOption();
    parser.addOption({"script", "Runs the method calls of FILE, one per line.", "FILE"});
    parser.addOption(
        {"select", "Scripts: answers \"Select Device\" with the line holding TEXT.", "TEXT"});
    parser.addOption({"device", "Opens and starts device N (0 to 9).", "N"});
    parser.addOption({"interface", "Prints the dispatch interface as a Markdown table."});
    if (!parser.parse(QCoreApplication::arguments())) {
        std::cerr << "ostrelctl-host: " << parser.errorText().toStdString() << '\n';
        return 2;
    }
    if (parser.isSet("help")) {
        parser.showHelp(0);
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::cerr << "ostrelctl-host: unexpected argument "
                  << parser.positionalArguments().first().toStdString() << '\n';
        return 2;
    }
    if (parser.isSet("script")) {
        return runScript(parser.value("script"), parser.value("select"), parser.isSet("select"));
    }
    HostWindow window;
    window.show();
    if (parser.isSet("device")) {
        bool ok = false;
        const int device = parser.value("device").toInt(&ok);
        if (!ok) {
            std::cerr << "ostrelctl-host: --device takes a number\n";
            return 2;
        }
        QTimer::singleShot(0, &window,
                           [&window, device] { window.control()->TQGetDevice(device); });
    }
    return QApplication::exec();
}
