// Reading a workbook's cells through freexl.
#pragma once

#include <string>

namespace xls {

// Receives the worksheets and their cells in order.
class CellSink {
  public:
    virtual ~CellSink() = default;
    virtual void sheet(const std::string& name) = 0;
    virtual void number(int row, int col, double value) = 0;
    virtual void text(int row, int col, const std::string& value) = 0;
};

// Hands every worksheet and cell of the workbook file at `path` to `sink`;
// false (and `error`) when freexl cannot read it. freexl trusts what it
// reads: give it only files whose structure was checked (readWorkbook does).
bool readWithFreexl(const std::string& path, CellSink& sink, std::string& error);

// Day serial of a date, date-time or time text as freexl renders them
// ("YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "HH:MM:SS"); 0 when it is none of them.
double daySerial(const std::string& text);

}  // namespace xls
