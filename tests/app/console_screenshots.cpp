// Screenshots of the operator console for docs/screenshots: the main window
// in English and in Chinese, producing a board, showing an alarm, and the
// simulated machine's panel. Not a test; run it by hand:
//
//   console_screenshots [FOLDER]     (default: docs/screenshots)
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDockWidget>
#include <QImage>
#include <cstdio>

#include "app/simulated_machine_panel.h"
#include "console_window_support.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/screens/language_events.h"
#include "production/machine_state.h"
#include "sim/machine/simulated_machine.h"

using namespace corvane;
using namespace console_test;

namespace {

QString folder;

void save(QWidget& widget, const char* name) {
    settle(200);
    const QImage image = widget.grab().toImage();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name) + ".png");
    if (!image.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tamsin"));
    folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs/screenshots");
    QDir().mkpath(folder);

    // A fixed folder, so the program's name in the pictures is always the same.
    const auto home = std::filesystem::temp_directory_path() / "corvane-screenshots";
    std::filesystem::remove_all(home);
    std::filesystem::create_directories(home);
    ::setenv("CORVANE_HOME", home.c_str(), 1);
    platform::setSettingsFile(home / "registry.ini");
    platform::setMessageBoxSink([](const platform::MessageBoxRequest& r) {
        std::fprintf(stderr, "message: %s\n", r.text.c_str());
        return true;
    });
    sim::SimulatedMachine::instance().reset();
    // Faster than real time, so the pictures come in seconds.
    platform::Clock::setTimeScale(3.0);
    int status = 0;
    {
        app::MainWindow window(app::MainWindow::Options{false});
        window.resize(1280, 800);
        window.show();
        window.openProgram(QString::fromStdString(demoWorkbook(home).string()));
        save(window, "main-window-en");

        screens::LanguageEvents::instance().setLanguage(kChinese);
        window.console().setLanguage(kChinese);
        save(window, "main-window-zh");
        window.console().setLanguage(kEnglish);
        screens::LanguageEvents::instance().setLanguage(kEnglish);

        if (!resetThroughWindow(window)) {
            std::fprintf(stderr, "the reset failed\n");
            status = 1;
        }
        window.console().setPlannedCount(3);
        click(window.operateGroup().startButton());
        std::printf("pointer held on the Stop button: %s\n", window.cursorHeld() ? "yes" : "no");
        waitFor([] { return machineState().CurrentRecord.load() >= 5; }, 60);
        save(window, "main-window-producing-en");

        // The panel beside the window, while the machine goes on.
        window.simulatedMachinePanel()->show();
        window.resize(1700, 900);
        save(window, "simulated-machine-panel-en");
        window.simulatedMachinePanel()->hide();
        settle();
        window.resize(1280, 800);

        // A CTA that sticks halfway: "CTA put out timeout".
        window.simulatedMachinePanel()->cylinderJammed(0)->setChecked(true);
        waitFor([] { return machineState().AlarmCode.load() > 0; }, 60);
        save(window, "main-window-alarm-en");
        window.simulatedMachinePanel()->cylinderJammed(0)->setChecked(false);
        click(window.operateGroup().stopButton());
        settle(300);
    }
    platform::Clock::setTimeScale(1.0);
    platform::setMessageBoxSink(nullptr);
    platform::setSettingsFile({});
    std::filesystem::remove_all(home);
    return status;
}
