// The host's window: one camera control with the commands a user needs.
#pragma once

#include <QMainWindow>

class QLabel;

namespace ostrelctl {

class OstrelCtl;

class HostWindow : public QMainWindow {
  public:
    HostWindow();
    OstrelCtl* control() const { return control_; }

  private:
    void showFrameRate();

    OstrelCtl* control_;
    QLabel* status_;
};

}  // namespace ostrelctl
