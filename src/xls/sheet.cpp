// Worksheet cells held in memory, sorted by row and column.
#include "xls/xls.h"

#include <algorithm>

namespace xls {

namespace {

bool before(const Sheet::Cell& cell, int row, int col) {
    return cell.row < row || (cell.row == row && cell.col < col);
}

bool inLimits(int row, int col) {
    return row >= 0 && row < kMaxRows && col >= 0 && col < kMaxColumns;
}

}  // namespace

const Sheet::Cell* Sheet::find(int row, int col) const {
    auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair{row, col},
                               [](const Cell& cell, std::pair<int, int> key) {
                                   return before(cell, key.first, key.second);
                               });
    if (it == cells_.end() || it->row != row || it->col != col) {
        return nullptr;
    }
    return &*it;
}

Sheet::Cell* Sheet::slot(int row, int col) {
    // Readers and writers mostly go in row order: appending is the common case.
    if (cells_.empty() || before(cells_.back(), row, col)) {
        cells_.push_back(Cell{row, col, CellType::Empty, 0.0, {}});
        return &cells_.back();
    }
    auto it = std::lower_bound(cells_.begin(), cells_.end(), std::pair{row, col},
                               [](const Cell& cell, std::pair<int, int> key) {
                                   return before(cell, key.first, key.second);
                               });
    if (it == cells_.end() || it->row != row || it->col != col) {
        it = cells_.insert(it, Cell{row, col, CellType::Empty, 0.0, {}});
    }
    return &*it;
}

int Sheet::firstRow() const {
    return cells_.empty() ? 0 : cells_.front().row;
}

int Sheet::lastRow() const {
    return cells_.empty() ? -1 : cells_.back().row;
}

int Sheet::firstCol() const {
    if (cells_.empty())
        return 0;
    int col = kMaxColumns;
    for (const auto& cell : cells_)
        col = std::min(col, cell.col);
    return col;
}

int Sheet::lastCol() const {
    int col = -1;
    for (const auto& cell : cells_)
        col = std::max(col, cell.col);
    return col;
}

CellType Sheet::cellType(int row, int col) const {
    const Cell* cell = find(row, col);
    return cell == nullptr ? CellType::Empty : cell->type;
}

double Sheet::readNum(int row, int col) const {
    const Cell* cell = find(row, col);
    return cell != nullptr && cell->type == CellType::Number ? cell->number : 0.0;
}

const char* Sheet::readStr(int row, int col) const {
    const Cell* cell = find(row, col);
    return cell != nullptr && cell->type == CellType::String ? cell->text.c_str() : nullptr;
}

bool Sheet::writeNum(int row, int col, double value) {
    if (!inLimits(row, col))
        return false;
    Cell* cell = slot(row, col);
    cell->type = CellType::Number;
    cell->number = value;
    cell->text.clear();
    return true;
}

bool Sheet::writeStr(int row, int col, std::string_view text) {
    if (!inLimits(row, col))
        return false;
    Cell* cell = slot(row, col);
    cell->type = CellType::String;
    cell->number = 0;
    cell->text.assign(text);
    return true;
}

}  // namespace xls
