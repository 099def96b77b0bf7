// Holds the mouse pointer on one widget (the Stop button while the machine
// produces). Qt cannot confine the pointer; on X11 four pointer barriers of
// the XFixes extension fence the widget's screen rectangle in. Where that is
// not available (another platform, an X server without barriers, a build
// without the X libraries) confining does nothing.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

namespace corvane::app {

class CursorTrap {
  public:
    CursorTrap() = default;
    CursorTrap(const CursorTrap&) = delete;
    CursorTrap& operator=(const CursorTrap&) = delete;
    ~CursorTrap();

    // Puts the pointer on `widget` and keeps it there until release().
    void confine(QWidget* widget);
    void release();
    // Whether the pointer is really held (false where confining does nothing).
    bool holding() const { return holding_; }

  private:
    std::array<unsigned long, 4> barriers_{};
    bool holding_ = false;
};

}  // namespace corvane::app
