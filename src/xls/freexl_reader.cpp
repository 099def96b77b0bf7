// freexl walks the BIFF records; here its cells become the sheet's number
// and text cells.
//
// freexl 1.0.6 reads out of bounds on some damaged compound files (found by
// fuzzing: a broken mini-stream table makes it hand a stack buffer with a
// wrong length to iconv). So freexl never sees the file as it came: libgsf,
// which checks the compound file's tables, takes the workbook stream out,
// and freexl reads that stream from a fresh compound file packed in memory.
// It also trusts record lengths (a record running past the stream's end made
// it copy past its buffer): only whole records reach it.
#include "xls/freexl_reader.h"

#include <freexl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <charconv>
#include <chrono>

#include "xls/biff_records.h"
#include "xls/ole2_container.h"

namespace xls {

namespace {

class Handle {
public:
    ~Handle() {
        if (handle_ != nullptr) freexl_close(handle_);
    }
    const void** out() { return &handle_; }
    const void* get() const { return handle_; }

private:
    const void* handle_ = nullptr;
};

bool number(const std::string& text, size_t at, size_t length, int& value) {
    if (at + length > text.size()) return false;
    const char* first = text.data() + at;
    auto [end, ec] = std::from_chars(first, first + length, value);
    return ec == std::errc() && end == first + length;
}

std::string describe(int code) { return "freexl error " + std::to_string(code); }

// A file that lives in memory only, under a path freexl can open.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& bytes) : fd_(memfd_create("workbook", MFD_CLOEXEC)) {
        size_t done = 0;
        while (fd_ >= 0 && done < bytes.size()) {
            const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (written <= 0) {
                ::close(fd_);
                fd_ = -1;
                break;
            }
            done += static_cast<size_t>(written);
        }
    }
    ~MemoryFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool valid() const { return fd_ >= 0; }
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

}  // namespace

double daySerial(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    double serial = 0;
    size_t timeAt = std::string::npos;
    if (text.size() >= 10 && text[4] == '-' && text[7] == '-') {
        if (!number(text, 0, 4, year) || !number(text, 5, 2, month) || !number(text, 8, 2, day)) return 0;
        const std::chrono::year_month_day date{std::chrono::year(year), std::chrono::month(static_cast<unsigned>(month)),
                                               std::chrono::day(static_cast<unsigned>(day))};
        if (!date.ok()) return 0;
        const auto base = std::chrono::sys_days(std::chrono::year(1899) / 12 / 30);
        serial = static_cast<double>((std::chrono::sys_days(date) - base).count());
        if (text.size() > 10) timeAt = 11;
    } else {
        timeAt = 0;
    }
    if (timeAt != std::string::npos) {
        if (text.size() != timeAt + 8 || text[timeAt + 2] != ':' || text[timeAt + 5] != ':') return serial;
        if (!number(text, timeAt, 2, hour) || !number(text, timeAt + 3, 2, minute) ||
            !number(text, timeAt + 6, 2, second)) {
            return serial;
        }
        serial += (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    }
    return serial;
}

bool readWorkbook(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets, std::string& error) {
    sheets.clear();
    std::string stream;
    std::string streamName;
    if (!extractWorkbook(path, stream, streamName, error)) return false;
    const std::string records = wholeRecords(stream, error);
    if (records.empty()) return false;
    const std::string clean = packWorkbook(records, &error, streamName.c_str());
    if (clean.empty()) return false;
    const MemoryFile file(clean);
    if (!file.valid()) {
        error = "cannot hold the workbook in memory";
        return false;
    }
    Handle handle;
    int rc = freexl_open(file.path().c_str(), handle.out());
    if (rc != FREEXL_OK) {
        error = describe(rc);
        return false;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle.get(), FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
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
        if (freexl_get_worksheet_name(handle.get(), sheetIndex, &name) != FREEXL_OK || name == nullptr) name = "";
        auto sheet = std::make_unique<Sheet>(name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle.get(), sheetIndex) == FREEXL_OK &&
            freexl_worksheet_dimensions(handle.get(), &rows, &columns) == FREEXL_OK) {
            const unsigned int rowEnd = std::min<unsigned int>(rows, kMaxRows);
            const unsigned int colEnd = std::min<unsigned int>(columns, kMaxColumns);
            for (unsigned int r = 0; r < rowEnd; ++r) {
                for (unsigned int c = 0; c < colEnd; ++c) {
                    FreeXL_CellValue value{};
                    if (freexl_get_cell_value(handle.get(), r, static_cast<unsigned short>(c), &value) != FREEXL_OK) {
                        continue;
                    }
                    const int row = static_cast<int>(r);
                    const int col = static_cast<int>(c);
                    switch (value.type) {
                        case FREEXL_CELL_INT:
                            sheet->writeNum(row, col, value.value.int_value);
                            break;
                        case FREEXL_CELL_DOUBLE:
                            sheet->writeNum(row, col, value.value.double_value);
                            break;
                        case FREEXL_CELL_TEXT:
                        case FREEXL_CELL_SST_TEXT:
                            sheet->writeStr(row, col, value.value.text_value != nullptr ? value.value.text_value : "");
                            break;
                        case FREEXL_CELL_DATE:
                        case FREEXL_CELL_DATETIME:
                        case FREEXL_CELL_TIME:
                            sheet->writeNum(row, col,
                                            daySerial(value.value.text_value != nullptr ? value.value.text_value : ""));
                            break;
                        default:
                            break;
                    }
                }
            }
        }
        sheets.push_back(std::move(sheet));
    }
    return true;
}

}  // namespace xls
