// The BIFF8 "Workbook" stream of a set of sheets: globals (fonts, formats,
// the sheet directory, the shared string table) followed by one substream
// per sheet with its NUMBER and LABELSST cells.
#pragma once

#include <string>
#include <vector>

#include "xls/xls.h"

namespace xls {

std::string buildBiff8Workbook(const std::vector<const Sheet*>& sheets);

}  // namespace xls
