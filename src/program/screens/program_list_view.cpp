// The main window's program list.
#include "program/screens/program_list_view.h"

#include <QHeaderView>

#include "platform/screens/language_events.h"
#include "program/screens/program_table_model.h"

namespace corvane::screens {

ProgramListView::ProgramListView(ProgramList& program, QWidget* parent)
    : QTableView(parent), model_(new ProgramTableModel(program, this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(true);
    connect(model_, &ProgramTableModel::stationEdited, this, &ProgramListView::stationEdited);
    connect(model_, &QAbstractItemModel::modelReset, this, [this] { resizeColumnsToContents(); });
    resizeColumnsToContents();
    followLanguage(this);
}

void ProgramListView::showRow(int row) {
    if (row < 0 || row >= model_->rowCount())
        return;
    clearSelection();
    selectRow(row);
    scrollTo(model_->index(row, 0), QAbstractItemView::EnsureVisible);
}

void ProgramListView::reload() {
    model_->reload();
}

void ProgramListView::setBatchColumnShown(bool shown) {
    model_->setBatchColumnShown(shown);
}

void ProgramListView::retranslate() {
    model_->retranslate();
    resizeColumnsToContents();
}

}  // namespace corvane::screens
