// "Statistical Information": the current statistics record or an earlier one,
// its counters and times, the two pie charts (completion and utilization),
// the report saved locally or to a removable drive, zero clearing and the
// number of splices per board.
#pragma once

#include <QDialog>
#include <array>

#include "stats/production_statistics.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
QT_FORWARD_DECLARE_CLASS(QPieSeries)

namespace corvane::screens {

class StatisticsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit StatisticsDialog(ProductionStatistics& statistics, QWidget* parent = nullptr);
    void retranslate();

    // The record on the screen: 0 the current one, 1.. the history in order.
    void showRecord(int entry);
    int shownEntry() const;
    StatisticsRecord shownRecord() const;
    // Refreshes the values, the history list and the system time (the
    // one-second timer does this while the screen is open).
    void refresh();

    QPieSeries& completionPie() const { return *completion_; }
    QPieSeries& utilizationPie() const { return *utilization_; }

  protected:
    // The one-second clock runs while the screen is shown.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void fillHistory();
    void showValues();
    void localSave();
    void removableSave();
    void zeroClearing();
    void applySplices();

    ProductionStatistics& statistics_;
    std::array<QLabel*, kLineCompletion> captions_{};
    std::array<QLabel*, kLineCompletion> values_{};
    QLabel* systemTimeCaption_;
    QLabel* systemTime_;
    QLabel* recordCaption_;
    QComboBox* records_;
    QLineEdit* splices_;
    QPushButton* splicesButton_;
    QPushButton* localSave_;
    QPushButton* removableSave_;
    QPushButton* zeroClearing_;
    QPushButton* exit_;
    QPieSeries* completion_;
    QPieSeries* utilization_;
    QTimer* clock_;
};

}  // namespace corvane::screens
