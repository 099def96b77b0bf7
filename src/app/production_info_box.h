// "Information Of Production": the program's name, the production figures,
// the planned count with its "Modify" / "Sure" button and the planned time.
#pragma once

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {
struct ConsoleView;
}

namespace corvane::app {

class ProductionInfoBox : public QGroupBox {
    Q_OBJECT

  public:
    explicit ProductionInfoBox(QWidget* parent = nullptr);
    void retranslate();

    void showProgramName(const QString& path);
    // PPM, speeds, the counter; the planned-count button follows the view.
    void showView(const ConsoleView& view);
    void showPlan(int boards, double hours);

    QLineEdit* plannedCountField() const { return planned_; }
    QPushButton* modifyButton() const { return modify_; }
    bool editingPlannedCount() const { return editing_; }

  signals:
    // "Sure": the value typed into the planned-count field (0 when it is
    // not a number).
    void plannedCountEntered(int boards);

  private:
    void modifyClicked();
    void showModifyCaption();

    QLabel* programNameCaption_;
    QLabel* ppmCaption_;
    QLabel* realSpeedCaption_;
    QLabel* averageSpeedCaption_;
    QLabel* completeCaption_;
    QLabel* plannedCaption_;
    QLabel* hoursCaption_;
    QLabel* hoursUnit_;
    QLineEdit* programName_;
    QLineEdit* ppm_;
    QLineEdit* realSpeed_;
    QLineEdit* averageSpeed_;
    QLineEdit* complete_;
    QLineEdit* planned_;
    QLineEdit* hours_;
    QPushButton* modify_;
    bool editing_ = false;
    int shownBoards_ = 0;
};

}  // namespace corvane::app
