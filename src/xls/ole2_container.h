// The OLE2 compound file around a workbook stream, through libgsf: packing a
// stream into a new file, and taking the workbook stream out of one.
#pragma once

#include <string>
#include <string_view>

namespace xls {

// A compound file holding `workbook` as its stream `streamName`; empty on
// failure, with the reason in `error`.
std::string packWorkbook(std::string_view workbook, std::string* error,
                         const char* streamName = "Workbook");

// The "Workbook" (BIFF8) or "Book" (BIFF5) stream of the compound file at
// `path`, and that name. False, with the reason, when the file is no compound
// file libgsf can read or holds no workbook stream.
bool extractWorkbook(const std::string& path, std::string& workbook, std::string& streamName,
                     std::string& error);

}  // namespace xls
