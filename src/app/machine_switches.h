// The "Shear horn" lamps of the lead sensors and the four switches of the
// main window: "End-feed", "Workdesk-lamp", "SafeDoor" and "Buzzer".
#pragma once

#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;

namespace corvane::app {

class Lamp;

class MachineSwitches : public QWidget {
    Q_OBJECT

  public:
    explicit MachineSwitches(QWidget* parent = nullptr);
    void retranslate();

    void showLeadLamps(bool left, bool right);

    QCheckBox* endFeed() const { return endFeed_; }
    QCheckBox* workdeskLamp() const { return workdeskLamp_; }
    QCheckBox* safeDoor() const { return safeDoor_; }
    QCheckBox* buzzer() const { return buzzer_; }
    Lamp* leftLamp() const { return left_; }
    Lamp* rightLamp() const { return right_; }

  private:
    QGroupBox* shearHorn_;
    QLabel* leftCaption_;
    QLabel* rightCaption_;
    Lamp* left_;
    Lamp* right_;
    QCheckBox* endFeed_;
    QCheckBox* workdeskLamp_;
    QCheckBox* safeDoor_;
    QCheckBox* buzzer_;
};

}  // namespace corvane::app
