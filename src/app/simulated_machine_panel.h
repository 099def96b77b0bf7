// "Simulated machine": the machine itself as the operator meets it beside the
// screen, for a console that runs without hardware. Its push buttons (held
// while the mouse button is; the emergency stop latches until released), the
// safe door, the tower lamps, the feeders, the cylinders, the lead sensors
// and the neighbouring machines. It reads and drives the simulated machine
// directly: it is the machine, not a screen of the program.
#pragma once

#include <QDockWidget>
#include <array>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;

namespace corvane::app {

class Lamp;

class SimulatedMachinePanel : public QDockWidget {
    Q_OBJECT

  public:
    static constexpr int kStations = 12;
    static constexpr int kCylinders = 8;

    explicit SimulatedMachinePanel(QWidget* parent = nullptr);
    void retranslate();

    // Reads the machine again (a timer does it while the panel is shown).
    void refresh();

    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* emergencyStopButton() const { return emergencyStop_; }
    QPushButton* releaseEmergencyStopButton() const { return release_; }
    QPushButton* headHomeButton() const { return headHome_; }
    QPushButton* manualCutButton() const { return manualCut_; }
    QCheckBox* safeDoorClosed() const { return doorClosed_; }
    QCheckBox* nextMachineAsking() const { return nextAsking_; }
    QCheckBox* previousMachineSupplying() const { return previousSupplying_; }
    QDoubleSpinBox* leadFailurePercent() const { return leadFailure_; }
    QLabel* feederParts(int station) const { return feeders_[station - 1].parts; }
    QPushButton* emptyFeeder(int station) const { return feeders_[station - 1].empty; }
    QPushButton* refillFeeder(int station) const { return feeders_[station - 1].refill; }
    QCheckBox* cylinderJammed(int cylinder) const { return cylinders_[cylinder]; }

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    struct Feeder {
        QLabel* caption = nullptr;
        QLabel* parts = nullptr;
        QPushButton* empty = nullptr;
        QPushButton* refill = nullptr;
    };

    QWidget* buildButtons();
    QWidget* buildLine();
    QWidget* buildFeeders();
    QWidget* buildCylinders();

    QGroupBox* buttonsGroup_;
    QGroupBox* lampsGroup_;
    QGroupBox* lineGroup_;
    QGroupBox* feedersGroup_;
    QGroupBox* cylindersGroup_;
    QPushButton* start_;
    QPushButton* stop_;
    QPushButton* emergencyStop_;
    QPushButton* release_;
    QPushButton* headHome_;
    QPushButton* manualCut_;
    std::array<Lamp*, 4> lamps_{};  // red, yellow, green, buzzer
    std::array<QLabel*, 4> lampCaptions_{};
    QCheckBox* doorClosed_;
    QCheckBox* nextAsking_;
    QCheckBox* previousSupplying_;
    QLabel* boardsCaption_;
    QLabel* boards_;
    QLabel* leadFailureCaption_;
    QDoubleSpinBox* leadFailure_;
    std::array<Feeder, kStations> feeders_{};
    std::array<QCheckBox*, kCylinders> cylinders_{};
    QTimer* refresh_;
};

}  // namespace corvane::app
