// Record headers (16-bit type, 16-bit body length) and the sheet size records.
#include "xls/biff_records.h"

#include <cstdint>

#include "xls/xls.h"

namespace xls {

namespace {

// BIFF8's limit; earlier versions allow less.
constexpr size_t kLongestBody = 8224;
constexpr uint16_t kDimensions = 0x0200;

uint32_t word(std::string_view body, size_t at) {
    return static_cast<uint8_t>(body[at]) |
           static_cast<uint32_t>(static_cast<uint8_t>(body[at + 1])) << 8;
}

uint32_t dword(std::string_view body, size_t at) {
    return word(body, at) | word(body, at + 2) << 16;
}

// First and one-past-last row and column of a sheet: BIFF8 stores the rows
// in 32 bits (14 bytes in all), earlier versions in 16 (10 bytes).
bool dimensionsWithinLimits(std::string_view body) {
    uint32_t firstRow = 0, endRow = 0, firstCol = 0, endCol = 0;
    if (body.size() >= 14) {
        firstRow = dword(body, 0);
        endRow = dword(body, 4);
        firstCol = word(body, 8);
        endCol = word(body, 10);
    } else if (body.size() >= 8) {
        firstRow = word(body, 0);
        endRow = word(body, 2);
        firstCol = word(body, 4);
        endCol = word(body, 6);
    } else {
        return false;
    }
    return firstRow <= endRow && endRow <= static_cast<uint32_t>(kMaxRows) && firstCol <= endCol &&
           endCol <= static_cast<uint32_t>(kMaxColumns);
}

}  // namespace

std::string checkedRecords(std::string_view stream, std::string& error) {
    size_t at = 0;
    while (at + 4 <= stream.size()) {
        const uint32_t type = word(stream, at);
        const size_t length = word(stream, at + 2);
        if (length > kLongestBody) {
            error = "a record at byte " + std::to_string(at) + " is longer than BIFF allows";
            return {};
        }
        if (at + 4 + length > stream.size())
            break;  // cut short: keep what is whole
        if (type == kDimensions && !dimensionsWithinLimits(stream.substr(at + 4, length))) {
            error = "the sheet size at byte " + std::to_string(at) + " is beyond BIFF's limits";
            return {};
        }
        at += 4 + length;
    }
    if (at == 0) {
        error = "the workbook stream holds no whole record";
        return {};
    }
    return std::string(stream.substr(0, at));
}

}  // namespace xls
