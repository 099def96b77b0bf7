// The "Operate" group of the main window: Start, Stop, AlarmReset, Em-Stop
// and Reset, and the tower lamps as the machine shows them.
#pragma once

#include <QGroupBox>

class QPushButton;

namespace corvane {
struct ConsoleView;
}

namespace corvane::app {

class Lamp;

class OperateGroup : public QGroupBox {
    Q_OBJECT

  public:
    explicit OperateGroup(QWidget* parent = nullptr);
    void retranslate();

    // Which buttons take a press, from the console's view.
    void showView(const ConsoleView& view);
    void showTowerLamps(bool red, bool yellow, bool green);

    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* alarmResetButton() const { return alarmReset_; }
    QPushButton* emergencyStopButton() const { return emergencyStop_; }
    QPushButton* resetButton() const { return reset_; }

  signals:
    void startClicked();
    void stopClicked();
    void alarmResetClicked();
    void emergencyStopClicked();
    void resetClicked();

  private:
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* alarmReset_;
    QPushButton* emergencyStop_;
    QPushButton* reset_;
    Lamp* red_;
    Lamp* yellow_;
    Lamp* green_;
};

}  // namespace corvane::app
