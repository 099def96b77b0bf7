// Pointer confinement through XFixes pointer barriers.
#include "app/cursor_trap.h"

#include <QCursor>
#include <QGuiApplication>

#if defined(CORVANE_HAVE_XFIXES)
// The X headers come last: their macros (None, Bool, Status ...) clash with Qt's.
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#endif

namespace corvane::app {

namespace {

#if defined(CORVANE_HAVE_XFIXES)
Display* x11Display() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                                   : nullptr;
    return x11 != nullptr ? x11->display() : nullptr;
}

bool barriersAvailable(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase))
        return false;
    int major = 5;
    int minor = 0;
    XFixesQueryVersion(display, &major, &minor);
    return major >= 5;
}
#endif

}  // namespace

CursorTrap::~CursorTrap() {
    release();
}

void CursorTrap::confine(QWidget* widget) {
    release();
    if (widget == nullptr || !widget->isVisible())
        return;
#if defined(CORVANE_HAVE_XFIXES)
    Display* display = x11Display();
    if (display == nullptr || !barriersAvailable(display))
        return;
    const QRect local = widget->rect().adjusted(2, 2, -2, -2);
    QCursor::setPos(widget->mapToGlobal(local.center()));
    // Barriers are in the X server's pixels.
    const double ratio = widget->devicePixelRatioF();
    const QPoint topLeft = widget->mapToGlobal(local.topLeft());
    const int x1 = static_cast<int>(topLeft.x() * ratio);
    const int y1 = static_cast<int>(topLeft.y() * ratio);
    const int x2 = static_cast<int>((topLeft.x() + local.width()) * ratio);
    const int y2 = static_cast<int>((topLeft.y() + local.height()) * ratio);
    const Window root = DefaultRootWindow(display);
    // Direction 0: a barrier stops the pointer from both sides.
    barriers_ = {XFixesCreatePointerBarrier(display, root, x1, y1, x1, y2, 0, 0, nullptr),
                 XFixesCreatePointerBarrier(display, root, x2, y1, x2, y2, 0, 0, nullptr),
                 XFixesCreatePointerBarrier(display, root, x1, y1, x2, y1, 0, 0, nullptr),
                 XFixesCreatePointerBarrier(display, root, x1, y2, x2, y2, 0, 0, nullptr)};
    XFlush(display);
    holding_ = true;
#endif
}

void CursorTrap::release() {
    if (!holding_)
        return;
    holding_ = false;
#if defined(CORVANE_HAVE_XFIXES)
    if (Display* display = x11Display()) {
        for (unsigned long barrier : barriers_) {
            if (barrier != 0)
                XFixesDestroyPointerBarrier(display, barrier);
        }
        XFlush(display);
    }
#endif
    barriers_ = {};
}

}  // namespace corvane::app
