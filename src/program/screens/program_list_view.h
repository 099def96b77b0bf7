// The main window's program list: every record of the program, the Station
// cell edited in place, and the record in production highlighted.
#pragma once

#include <QTableView>

namespace corvane {
class ProgramList;
}

namespace corvane::screens {

class ProgramTableModel;

class ProgramListView : public QTableView {
    Q_OBJECT

  public:
    explicit ProgramListView(ProgramList& program, QWidget* parent = nullptr);

    ProgramTableModel& programModel() const { return *model_; }

    // The record highlight: clears the selection, selects the row (0-based)
    // and scrolls it into view; a row outside the program changes nothing.
    void showRow(int row);
    // The program changed as a whole.
    void reload();
    // The Batch number column follows the material-number verification switch.
    void setBatchColumnShown(bool shown);
    void retranslate();

  signals:
    // A Station cell took a new value: the program changed.
    void stationEdited(int row);

  private:
    ProgramTableModel* model_;
};

}  // namespace corvane::screens
