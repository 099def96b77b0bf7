// Record headers: a 16-bit type and a 16-bit body length.
#include "xls/biff_records.h"

#include <cstdint>

namespace xls {

namespace {

// BIFF8's limit; earlier versions allow less.
constexpr size_t kLongestBody = 8224;

}  // namespace

std::string wholeRecords(std::string_view stream, std::string& error) {
    size_t at = 0;
    while (at + 4 <= stream.size()) {
        const size_t length = static_cast<uint8_t>(stream[at + 2]) | static_cast<size_t>(static_cast<uint8_t>(stream[at + 3])) << 8;
        if (length > kLongestBody) {
            error = "a record at byte " + std::to_string(at) + " is longer than BIFF allows";
            return {};
        }
        if (at + 4 + length > stream.size()) break;  // cut short: keep what is whole
        at += 4 + length;
    }
    if (at == 0) {
        error = "the workbook stream holds no whole record";
        return {};
    }
    return std::string(stream.substr(0, at));
}

}  // namespace xls
