// "Information Of The Machine State": the status line with the alarm and
// state texts, and the reset's progress bar with its caption.
#pragma once

#include <QGroupBox>

class QLabel;
class QProgressBar;

namespace corvane {
struct ConsoleView;
}

namespace corvane::app {

class MachineStateBox : public QGroupBox {
    Q_OBJECT

  public:
    explicit MachineStateBox(QWidget* parent = nullptr);
    void retranslate();

    // `alarm`: the line shows an alarm (drawn in the alarm colour).
    void showView(const ConsoleView& view, bool alarm);

    QLabel* statusLine() const { return status_; }
    QProgressBar* progressBar() const { return progress_; }

  private:
    QLabel* status_;
    QProgressBar* progress_;
    QLabel* progressCaption_;
    bool alarmShown_ = false;
};

}  // namespace corvane::app
