// The OLE2 compound file around a workbook stream, written through libgsf.
#pragma once

#include <string>
#include <string_view>

namespace xls {

// A compound file holding `workbook` as its "Workbook" stream; empty on
// failure, with the reason in `error`.
std::string packWorkbook(std::string_view workbook, std::string* error);

}  // namespace xls
