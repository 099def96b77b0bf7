// Reading every worksheet of a BIFF workbook through freexl.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "xls/xls.h"

namespace xls {

// Fills `sheets` with the workbook's worksheets and their cells; false (and
// `error`) when freexl cannot read the file.
bool readWorkbook(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets, std::string& error);

// Day serial of a date, date-time or time text as freexl renders them
// ("YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS", "HH:MM:SS"); 0 when it is none of them.
double daySerial(const std::string& text);

}  // namespace xls
