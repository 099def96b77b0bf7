// The workbook: its sheets, loading through freexl, saving as BIFF8 in OLE2.
#include <algorithm>

#include "platform/atomic_file.h"
#include "xls/biff8_writer.h"
#include "xls/ole2_container.h"
#include "xls/unicode_text.h"
#include "xls/workbook_reader.h"
#include "xls/xls.h"

namespace xls {

Book* xlCreateBook() {
    return new Book();
}

Book::~Book() = default;

void Book::release() {
    delete this;
}

bool Book::load(const std::string& path) {
    error_.clear();
    if (!readWorkbook(path, sheets_, error_)) {
        sheets_.clear();
        return false;
    }
    return true;
}

std::string Book::saveToBytes() {
    error_.clear();
    std::vector<const Sheet*> sheets;
    for (const auto& sheet : sheets_)
        sheets.push_back(sheet.get());
    if (sheets.empty()) {
        error_ = "a workbook needs at least one sheet";
        return {};
    }
    for (const Sheet* sheet : sheets) {
        for (const auto& cell : sheet->cells()) {
            if (cell.type == CellType::String && cell.text.size() > kMaxTextLength &&
                toUtf16(cell.text).size() > kMaxTextLength) {
                error_ = "the text of row " + std::to_string(cell.row + 1) + ", column " +
                         std::to_string(cell.col + 1) + " is longer than " +
                         std::to_string(kMaxTextLength) + " characters";
                return {};
            }
        }
    }
    return packWorkbook(buildBiff8Workbook(sheets), &error_);
}

bool Book::save(const std::string& path) {
    const std::string bytes = saveToBytes();
    if (bytes.empty())
        return false;
    return corvane::platform::writeFileAtomically(path, bytes, &error_);
}

Sheet* Book::getSheet(int index) {
    if (index < 0 || index >= sheetCount())
        return nullptr;
    return sheets_[static_cast<size_t>(index)].get();
}

const Sheet* Book::getSheet(int index) const {
    if (index < 0 || index >= sheetCount())
        return nullptr;
    return sheets_[static_cast<size_t>(index)].get();
}

Sheet* Book::addSheet(std::string_view name, Sheet* initSheet) {
    if (initSheet != nullptr || name.empty() || toUtf16(name).size() > 31)
        return nullptr;
    const bool taken = std::any_of(sheets_.begin(), sheets_.end(),
                                   [&](const auto& sheet) { return sheet->name() == name; });
    if (taken)
        return nullptr;
    sheets_.push_back(std::make_unique<Sheet>(std::string(name)));
    return sheets_.back().get();
}

}  // namespace xls
