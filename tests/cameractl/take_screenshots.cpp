// Grabs the pictures of docs/screenshots: the host with live video from the
// simulated camera, "Select Device", and the driver's pages open on it.
//
//   QT_QPA_PLATFORM=offscreen ostrelctl-screenshots DIR
//
// The program has no network adapter (no_adapters.c), so the simulated
// camera is device 0.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "camera/ostrel.h"
#include "cameractl/host_window.h"
#include "cameractl/ostrel_ctl.h"
#include "cameractl/select_device_dialog.h"

using namespace ostrelctl;

namespace {

QString directory;
int failures = 0;

void save(QWidget* w, const char* name) {
    const QString path = directory + "/" + name;
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++failures;
    } else {
        std::printf("%s\n", qPrintable(path));
    }
}

void waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// Runs `work` on the modal dialog once it shows, then closes it.
void onModal(const std::function<void(QDialog*)>& work) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, work] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            work(dialog);
            dialog->close();
        }
    });
    timer->start();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ostrelctl-screenshots DIR\n");
        return 2;
    }
    setenv("OSTREL_SIMULATED_CAMERA", "K6C", 1);
    QApplication app(argc, argv);
    directory = argv[1];

    OstrelCtl::setDeviceChooser([](SelectDeviceDialog& dialog) {
        dialog.show();
        dialog.list()->setCurrentRow(0);
        waitFor([] { return false; }, 200);
        save(&dialog, "ostrelctl-select-device.png");
        dialog.okButton()->click();
    });
    HostWindow window;
    window.resize(900, 700);
    window.show();
    window.control()->TQOpenDevList();
    waitFor([&] { return window.control()->imagesShown() >= 10; }, 20000);
    waitFor([] { return false; }, 2500);  // the status line shows the frame rate
    save(&window, "ostrelctl-live.png");

    onModal([](QDialog* page) {
        waitFor([] { return false; }, 200);
        save(page, "ostrel-pages-control.png");
        page->findChild<QPushButton*>("languageButton")->click();
        waitFor([] { return false; }, 200);
        save(page, "ostrel-pages-control-zh.png");
        page->findChild<QPushButton*>("languageButton")->click();
    });
    window.control()->TQShowSnapshotPage();

    if (TQ_ShowRWPage(0) == TQ_SUCCESS) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "registerPage" || !w->isVisible()) {
                continue;
            }
            w->findChild<QLineEdit*>("registerField")->setText("35");
            w->findChild<QPushButton*>("readButton")->click();
            auto* value = w->findChild<QLineEdit*>("valueField");
            waitFor([value] { return !value->text().isEmpty(); }, 3000);
            save(w, "ostrel-pages-registers.png");
            w->findChild<QPushButton*>("languageButton")->click();
            save(w, "ostrel-pages-registers-zh.png");
            w->hide();
        }
    } else {
        ++failures;
    }
    window.control()->TQStopCapture();
    window.control()->TQCloseDevice();
    return failures == 0 ? 0 : 1;
}
