// Table model over the plug-in program.
#include "program/screens/program_table_model.h"

#include <algorithm>
#include <mutex>

#include "platform/screens/row_colour.h"
#include "platform/screens/screen_text.h"
#include "program/insertion_record.h"
#include "program/program_list.h"
#include "program/program_overview.h"
#include "program/program_row_colours.h"
#include "program/program_rules.h"

namespace corvane::screens {

ProgramTableModel::ProgramTableModel(ProgramList& program, QObject* parent)
    : QAbstractTableModel(parent), program_(program) {}

int ProgramTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    const int records = program_.count();
    if (!overview_)
        return records;
    return std::clamp(std::min(count_, records - first_), 0, kOverviewPageSize);
}

int ProgramTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return batchColumn_ ? kRecordFieldCount : kRecordFieldCount - 1;
}

QVariant ProgramTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    // The window thread edits records in place; production reads copies under
    // the same lock.
    std::lock_guard lock(program_.mutex());
    const InsertionRecord* record = program_.at(recordIndex(index.row()));
    if (record == nullptr)
        return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return uiText(record->field(index.column()));
        case Qt::ForegroundRole:
            return colourOf(programRowColours(*record).text);
        case Qt::BackgroundRole:
            return colourOf(programRowColours(*record).background);
        default:
            return {};
    }
}

QVariant ProgramTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1 + first_;
    return uiText(overview_ ? overviewColumnHeader(section) : recordFieldHeader(section));
}

Qt::ItemFlags ProgramTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!overview_ && index.isValid() && index.column() == kFieldStation) {
        std::lock_guard lock(program_.mutex());
        const InsertionRecord* record = program_.at(recordIndex(index.row()));
        if (record != nullptr && record->isInsertion())
            flags |= Qt::ItemIsEditable;
    }
    return flags;
}

bool ProgramTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (overview_ || role != Qt::EditRole || !index.isValid() || index.column() != kFieldStation)
        return false;
    const int row = recordIndex(index.row());
    if (!editStation(program_, row, coreText(value.toString())))
        return false;
    emit dataChanged(index, index);
    emit stationEdited(row);
    return true;
}

void ProgramTableModel::reload() {
    beginResetModel();
    endResetModel();
}

void ProgramTableModel::setBatchColumnShown(bool shown) {
    if (shown == batchColumn_)
        return;
    beginResetModel();
    batchColumn_ = shown;
    endResetModel();
}

void ProgramTableModel::retranslate() {
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void ProgramTableModel::showOverviewPage(int first, int count) {
    beginResetModel();
    overview_ = true;
    first_ = std::max(first, 0);
    count_ = std::max(count, 0);
    endResetModel();
}

}  // namespace corvane::screens
