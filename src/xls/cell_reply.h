// The workbook reader program's answer: a workbook's sheets and cells as
// tagged records, written by the reader and parsed by the program that loads
// the workbook.
//
// Integers are little-endian:
//   "XLR1"                                     first, once
//   'S' u32 length, name                       a worksheet; the cells after it are its own
//   'N' u32 row, u32 col, u64 bits of a double a number cell
//   'T' u32 row, u32 col, u32 length, text     a text cell (UTF-8)
//   'E'                                        last: the workbook was read
//   'F' u32 length, reason                     last: the workbook cannot be read
// Cells of a sheet come in row order, then column order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "xls/freexl_reader.h"

namespace xls {

// Writes the answer to a file descriptor, or keeps it in memory when `fd`
// is negative.
class ReplyWriter : public CellSink {
  public:
    explicit ReplyWriter(int fd);

    void sheet(const std::string& name) override;
    void number(int row, int col, double value) override;
    void text(int row, int col, const std::string& value) override;
    // Ends the answer. False when it could not be written whole.
    bool finish(bool read, const std::string& error);

    // The whole answer, when kept in memory.
    const std::string& kept() const { return buffer_; }

  private:
    void tag(char t);
    void u32(uint32_t v);
    void string(std::string_view s);
    void flush();

    int fd_;
    bool failed_ = false;
    std::string buffer_;
};

// Hands the sheets and cells of `reply` to `sink`. False, with the reason,
// when the workbook was not read, and when the answer is not one the reader
// writes: cut short, out of order, beyond BIFF8's limits or followed by
// anything. Sheets and cells handed over before such a failure are not to
// be used.
bool parseReply(std::string_view reply, CellSink& sink, std::string& error);

}  // namespace xls
