// A first look at a workbook stream before freexl reads it: freexl trusts the
// record lengths it finds, so records that run past the stream's end or past
// the largest record BIFF allows never reach it.
#pragma once

#include <string>
#include <string_view>

namespace xls {

// The stream up to its last whole record. Empty (with the reason in `error`)
// when a record is longer than BIFF allows or nothing whole is left.
std::string wholeRecords(std::string_view stream, std::string& error);

}  // namespace xls
