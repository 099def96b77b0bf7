// Loading a workbook file into sheets, safely for any bytes the file holds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xls/xls.h"

namespace xls {

// Fills `sheets` with the workbook's worksheets and cells; false (and
// `error`) when the file is no workbook that can be read.
//
// freexl 1.0.6 reads out of bounds on damaged files (fuzzing found a broken
// mini-stream table, a record running past the stream's end and sheet sizes
// beyond BIFF's limits). So it never sees a file as it came: libgsf, which
// checks the compound file's tables, takes the workbook stream out; the
// stream's records are checked; freexl reads the stream from a fresh compound
// file in memory, in the reader program of its own (reader_program.h), so
// that a fault it still has refuses the file instead of ending the program.
bool readWorkbook(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets,
                  std::string& error);

// The same checks, with freexl in the calling process: a fault freexl still
// has on a file that passed them ends the caller. For the fuzzer, which is
// there to see such faults.
bool readWorkbookInProcess(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets,
                           std::string& error);

}  // namespace xls
