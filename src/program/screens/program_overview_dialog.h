// "List of Plug-in": the program, one page of records at a time, read only.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace corvane {
class ProgramList;
}

namespace corvane::screens {

class ProgramTableModel;

class ProgramOverviewDialog : public QDialog {
    Q_OBJECT

  public:
    explicit ProgramOverviewDialog(ProgramList& program, bool batchColumn,
                                   QWidget* parent = nullptr);
    void retranslate();

    // Shows page 1..pageCount() (clamped).
    void showPage(int page);
    int page() const { return page_; }
    int pageCount() const;
    QTableView& table() const { return *table_; }

  private:
    ProgramList& program_;
    ProgramTableModel* model_;
    QTableView* table_;
    QSpinBox* pageSpin_;
    QLabel* pageLabel_;
    QPushButton* exit_;
    int page_ = 1;
};

}  // namespace corvane::screens
