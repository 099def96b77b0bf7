// UTF-8 text of the API to the UTF-16 code units a BIFF8 string stores.
#pragma once

#include <string_view>
#include <vector>

namespace xls {

// Invalid UTF-8 sequences become U+FFFD rather than failing the save.
std::vector<char16_t> toUtf16(std::string_view utf8);

}  // namespace xls
