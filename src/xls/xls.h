// A small spreadsheet component for ".xls" workbooks, shaped like the calls the
// machine program makes on its spreadsheet library: a Book that loads, saves
// and holds sheets; a Sheet of number and text cells.
//
// Reading takes BIFF5 and BIFF8 workbooks (the compound-file ".xls" of
// Excel 95 to 2003 and of LibreOffice: shared strings, inline text cells, RK,
// NUMBER and date cells) through freexl, shielded from damaged files (see
// workbook_reader.h). Writing produces a BIFF8
// workbook inside an OLE2 compound file, text as UTF-16 shared strings, which
// LibreOffice Calc and Excel open. Text is UTF-8 on both sides of this API.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace xls {

enum class CellType { Empty, Number, String };

// BIFF8 limits of a worksheet.
inline constexpr int kMaxRows = 65536;
inline constexpr int kMaxColumns = 256;
// Longest text a saved cell may hold, in UTF-16 code units. BIFF8 allows
// more, but freexl reads no string that spans more than two records, and a
// file the program cannot read back must not be written.
inline constexpr size_t kMaxTextLength = 8000;

class Sheet {
  public:
    explicit Sheet(std::string name) : name_(std::move(name)) {}
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    const std::string& name() const { return name_; }

    // Index of the first row holding a cell; 0 for an empty sheet.
    int firstRow() const;
    // Index of the last row holding a cell (inclusive, unlike a one-past
    // convention); -1 for an empty sheet. Readers loop up to and including it.
    int lastRow() const;
    int firstCol() const;
    int lastCol() const;

    CellType cellType(int row, int col) const;
    // The cell as a number; text and empty cells read as 0. Dates and times
    // read as their day serial (days since 1899-12-30).
    double readNum(int row, int col) const;
    // The cell as text; number and empty cells read as null. The pointer stays
    // valid until the cell is written again or the book is released.
    const char* readStr(int row, int col) const;

    // Both return false (nothing stored) for a cell outside the BIFF8 limits.
    bool writeNum(int row, int col, double value);
    bool writeStr(int row, int col, std::string_view text);

    struct Cell {
        int row = 0;
        int col = 0;
        CellType type = CellType::Empty;
        double number = 0;
        std::string text;
    };
    // Every cell in row order, then column order.
    const std::vector<Cell>& cells() const { return cells_; }

  private:
    const Cell* find(int row, int col) const;
    Cell* slot(int row, int col);

    std::string name_;
    std::vector<Cell> cells_;  // kept sorted by (row, col)
};

class Book {
  public:
    Book() = default;
    Book(const Book&) = delete;
    Book& operator=(const Book&) = delete;
    ~Book();

    // Replaces the book's sheets with those of the file. False when the file
    // is missing, damaged or not a workbook that can be read; the book is
    // then empty. freexl reads in a program of its own, corvane-xls-reader,
    // beside the executable (see workbook_reader.h).
    bool load(const std::string& path);
    // Writes the book as a BIFF8 workbook. The file is replaced atomically: a
    // failed save leaves an existing file as it was. A book without sheets or
    // with a text longer than kMaxTextLength is not saved.
    bool save(const std::string& path);
    // The same workbook as bytes; empty on failure.
    std::string saveToBytes();

    // The sheet at `index`, or null.
    Sheet* getSheet(int index);
    const Sheet* getSheet(int index) const;
    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    // Appends an empty sheet; null when the name is empty, longer than 31
    // characters or already used. `initSheet` (copy a template) is not
    // supported and must be null.
    Sheet* addSheet(std::string_view name, Sheet* initSheet = nullptr);

    // Why the last load or save failed.
    const std::string& errorMessage() const { return error_; }

    // Frees the book; the last call on it.
    void release();

  private:
    std::vector<std::unique_ptr<Sheet>> sheets_;
    std::string error_;
};

// A new empty book (never null here; callers still test it like the library's).
Book* xlCreateBook();

// Owning handle that releases the book.
struct BookReleaser {
    void operator()(Book* book) const {
        if (book != nullptr)
            book->release();
    }
};
using BookPtr = std::unique_ptr<Book, BookReleaser>;
inline BookPtr createBook() {
    return BookPtr(xlCreateBook());
}

}  // namespace xls
