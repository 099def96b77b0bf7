// freexl walks the BIFF records; its cells become numbers and texts.
#include "xls/freexl_reader.h"

#include <freexl.h>

#include <algorithm>
#include <charconv>
#include <chrono>

#include "xls/xls.h"

namespace xls {

namespace {

class Handle {
  public:
    ~Handle() {
        if (handle_ != nullptr)
            freexl_close(handle_);
    }
    const void** out() { return &handle_; }
    const void* get() const { return handle_; }

  private:
    const void* handle_ = nullptr;
};

bool number(const std::string& text, size_t at, size_t length, int& value) {
    if (at + length > text.size())
        return false;
    const char* first = text.data() + at;
    auto [end, ec] = std::from_chars(first, first + length, value);
    return ec == std::errc() && end == first + length;
}

std::string describe(int code) {
    return "freexl error " + std::to_string(code);
}

}  // namespace

double daySerial(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double serial = 0;
    size_t timeAt = std::string::npos;
    if (text.size() >= 10 && text[4] == '-' && text[7] == '-') {
        if (!number(text, 0, 4, year) || !number(text, 5, 2, month) || !number(text, 8, 2, day))
            return 0;
        const std::chrono::year_month_day date{std::chrono::year(year),
                                               std::chrono::month(static_cast<unsigned>(month)),
                                               std::chrono::day(static_cast<unsigned>(day))};
        if (!date.ok())
            return 0;
        const auto base = std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);
        serial = static_cast<double>((std::chrono::sys_days(date) - base).count());
        if (text.size() > 10)
            timeAt = 11;
    } else {
        timeAt = 0;
    }
    if (timeAt != std::string::npos) {
        if (text.size() != timeAt + 8 || text[timeAt + 2] != ':' || text[timeAt + 5] != ':')
            return serial;
        if (!number(text, timeAt, 2, hour) || !number(text, timeAt + 3, 2, minute) ||
            !number(text, timeAt + 6, 2, second)) {
            return serial;
        }
        serial += (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    }
    return serial;
}

bool readWithFreexl(const std::string& path, CellSink& sink, std::string& error) {
    Handle handle;
    int rc = freexl_open(path.c_str(), handle.out());
    if (rc != FREEXL_OK) {
        error = describe(rc);
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        error = "the workbook is protected by a password";
        return false;
    }
    unsigned int sheetCount = 0;
    rc = freexl_get_info(handle.get(), FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    if (rc != FREEXL_OK) {
        error = describe(rc);
        return false;
    }
    for (unsigned int index = 0; index < sheetCount && index <= 0xFFFF; ++index) {
        const auto sheetIndex = static_cast<unsigned short>(index);
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.get(), sheetIndex, &name) != FREEXL_OK ||
            name == nullptr)
            name = "";
        sink.sheet(name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle.get(), sheetIndex) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle.get(), &rows, &columns) != FREEXL_OK) {
            continue;
        }
        const unsigned int rowEnd = std::min<unsigned int>(rows, kMaxRows);
        const unsigned int colEnd = std::min<unsigned int>(columns, kMaxColumns);
        for (unsigned int r = 0; r < rowEnd; ++r) {
            for (unsigned int c = 0; c < colEnd; ++c) {
                FreeXL_CellValue value{};
                if (freexl_get_cell_value(handle.get(), r, static_cast<unsigned short>(c),
                                          &value) != FREEXL_OK) {
                    continue;
                }
                const int row = static_cast<int>(r);
                const int col = static_cast<int>(c);
                const char* text = value.value.text_value != nullptr ? value.value.text_value : "";
                switch (value.type) {
                    case FREEXL_CELL_INT:
                        sink.number(row, col, value.value.int_value);
                        break;
                    case FREEXL_CELL_DOUBLE:
                        sink.number(row, col, value.value.double_value);
                        break;
                    case FREEXL_CELL_TEXT:
                    case FREEXL_CELL_SST_TEXT:
                        sink.text(row, col, text);
                        break;
                    case FREEXL_CELL_DATE:
                    case FREEXL_CELL_DATETIME:
                    case FREEXL_CELL_TIME:
                        sink.number(row, col, daySerial(text));
                        break;
                    default:
                        break;
                }
            }
        }
    }
    return true;
}

}  // namespace xls
