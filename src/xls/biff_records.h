// A first look at a workbook stream before freexl reads it. freexl trusts
// what it finds: a record running past the stream's end made it copy past its
// buffer, a sheet size beyond BIFF's limits made it read past its cell table.
// Such streams never reach it.
#pragma once

#include <string>
#include <string_view>

namespace xls {

// The stream up to its last whole record. Empty (with the reason in `error`)
// when a record is longer than BIFF allows, a sheet's size record lies beyond
// BIFF's limits, or nothing whole is left.
std::string checkedRecords(std::string_view stream, std::string& error);

}  // namespace xls
