// The plug-in program as a table: one row per record, the 12 field columns
// (the batch number only while material-number verification is on), row
// colours by command, and the in-place Station edit of the main window's list.
// It reads the process's program in place; whoever changes the program as a
// whole calls reload().
#pragma once

#include <QAbstractTableModel>

namespace corvane {
class ProgramList;
}

namespace corvane::screens {

class ProgramTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ProgramTableModel(ProgramList& program, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Only the Station cell of a "check" or "uncheck" row takes a value, and
    // only under the program's rule (1 to 12, different from the old one);
    // otherwise the old value stays.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The program changed as a whole (loaded, edited elsewhere).
    void reload();
    // The Batch number column follows the material-number verification switch.
    void setBatchColumnShown(bool shown);
    bool batchColumnShown() const { return batchColumn_; }
    // Headers in the display language.
    void retranslate();

    // The paged overview: a read-only window of `count` records from `first`,
    // with the overview's headers.
    void showOverviewPage(int first, int count);
    bool isOverview() const { return overview_; }

    ProgramList& program() const { return program_; }

  signals:
    // A Station cell took a new value (the chain feed plan was rebuilt).
    void stationEdited(int row);

  private:
    int recordIndex(int row) const { return first_ + row; }

    ProgramList& program_;
    bool batchColumn_ = false;
    bool overview_ = false;
    int first_ = 0;
    int count_ = 0;
};

}  // namespace corvane::screens
