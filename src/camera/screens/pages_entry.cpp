// Entry of the page module: finds or makes the Qt application, makes each
// device's pages once and shows them on the application's thread.
//
// A Qt host calls from its GUI thread (a call from another of its threads is
// carried over to it) and keeps its own event loop running: the register page
// stays open beside it (modeless) and the control page runs modally. A host
// without Qt has no application: one is made on the calling thread for the
// length of the call, and since nobody else runs its events, both pages run
// until the operator closes them; then the pages and the application go
// again, so nothing of Qt outlives the call. With no display nothing is made
// and the call fails.
#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>

#include <atomic>
#include <map>
#include <mutex>

#include "camera/pages_module.h"
#include "camera/screens/control_page.h"
#include "camera/screens/register_page.h"

namespace ostrel::pages {

namespace {

// The application this module made for the call that runs now, if any.
std::atomic<QApplication*> ownApplication{nullptr};
std::mutex ownApplicationLock;

std::map<int, QPointer<ControlPage>>& controlPages() {
    static auto* pages = new std::map<int, QPointer<ControlPage>>;
    return *pages;
}

std::map<int, QPointer<RegisterPage>>& registerPages() {
    static auto* pages = new std::map<int, QPointer<RegisterPage>>;
    return *pages;
}

// Whether Qt can open windows here: creating an application without a
// display ends the process, so this is asked first.
bool displayAvailable() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM").section(':', 0, 0);
    if (platform == "offscreen" || platform == "minimal" || platform == "vnc" ||
        platform == "linuxfb" || platform == "eglfs") {
        return true;
    }
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (platform.startsWith("wayland")) {
        return !wayland.isEmpty();
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) {
        return platform.isEmpty() && !wayland.isEmpty();
    }
    // A local X display ":N" has its socket in /tmp/.X11-unix; a remote one
    // is trusted as given.
    if (display.startsWith(':')) {
        const QString number = display.mid(1).section('.', 0, 0);
        return QFileInfo::exists("/tmp/.X11-unix/X" + number);
    }
    return true;
}

void centre(QWidget* page) {
    page->adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        page->move(area.center() - page->rect().center());
    }
}

void deletePages() {
    for (auto& [device, page] : controlPages()) {
        delete page.data();
    }
    for (auto& [device, page] : registerPages()) {
        delete page.data();
    }
    controlPages().clear();
    registerPages().clear();
}

void forgetPagesAtQuit() {
    static QCoreApplication* registeredFor = nullptr;
    if (registeredFor != QCoreApplication::instance()) {
        registeredFor = QCoreApplication::instance();
        // Pages have no parent: they go first when the host's application goes.
        qAddPostRoutine(&deletePages);
    }
}

uint32_t showOnGuiThread(const PageDriver& driver, Page page, int device) {
    forgetPagesAtQuit();
    if (page == Page::Registers) {
        QPointer<RegisterPage>& p = registerPages()[device];
        if (!p.isNull() && !p->isVisible() && p->form() != driver.registerForm(device)) {
            delete p.data();
        }
        if (p.isNull()) {
            p = new RegisterPage(driver, device);
            centre(p);
        }
        p->present();
        if (ownApplication.load() != nullptr) {
            // Nobody else runs the events of this application.
            p->exec();
        }
        return TQ_SUCCESS;
    }
    QPointer<ControlPage>& p = controlPages()[device];
    // An adapter may have another camera since its page was made.
    if (!p.isNull() && !p->isVisible() && p->profile().modelCode != driver.modelCode(device)) {
        delete p.data();
    }
    if (p.isNull()) {
        p = new ControlPage(driver, device);
        centre(p);
    }
    if (p->isVisible()) {
        // Asked again while it runs (from a handler inside it).
        p->raise();
        return TQ_SUCCESS;
    }
    p->refresh();
    p->exec();
    return TQ_SUCCESS;
}

// A host without a Qt application: one for this call only.
uint32_t showInOwnApplication(const PageDriver& driver, Page page, int device) {
    std::unique_lock lock(ownApplicationLock, std::try_to_lock);
    if (!lock.owns_lock() || QCoreApplication::instance() != nullptr || !displayAvailable()) {
        return TQ_E_FAILED;
    }
    static int argc = 1;
    static char name[] = "ostrel";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    ownApplication = &application;
    const uint32_t result = showOnGuiThread(driver, page, device);
    deletePages();
    ownApplication = nullptr;
    return result;
}

}  // namespace

}  // namespace ostrel::pages

extern "C" __attribute__((visibility("default"))) uint32_t ostrel_pages_show(
    const ostrel::pages::PageDriver* driver, int page, int device) noexcept {
    using namespace ostrel::pages;
    if (driver == nullptr || driver->version != kInterfaceVersion ||
        (page != static_cast<int>(Page::Registers) &&
         page != static_cast<int>(Page::ControlSnapshot))) {
        return TQ_E_FAILED;
    }
    try {
        const Page which = static_cast<Page>(page);
        if (QCoreApplication::instance() == nullptr) {
            return showInOwnApplication(*driver, which, device);
        }
        // A host with a core or GUI application only cannot show widgets.
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            return TQ_E_FAILED;
        }
        if (QThread::currentThread() == qApp->thread()) {
            return showOnGuiThread(*driver, which, device);
        }
        // Widgets live on the application's thread; the application of
        // another call of this module has no loop there that takes requests.
        if (ownApplication.load() != nullptr) {
            return TQ_E_FAILED;
        }
        uint32_t result = TQ_E_FAILED;
        QMetaObject::invokeMethod(
            qApp, [&] { result = showOnGuiThread(*driver, which, device); },
            Qt::BlockingQueuedConnection);
        return result;
    } catch (...) {
        return TQ_E_FAILED;
    }
}
