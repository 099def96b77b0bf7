// libFuzzer target: any bytes as a workbook file through the spreadsheet
// reader and the program reader, and as CSV through the CSV reader. Nothing
// may crash, hang or leak. freexl runs in this process here, not in the
// reader program, so that a fault it still has behind the checks is seen.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "program/program_csv.h"
#include "program/program_file.h"
#include "xls/workbook_reader.h"
#include "xls/xls.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // freexl opens files by name: the bytes go into an in-memory file.
    static const int fd = memfd_create("fuzz.xls", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ftruncate(fd, 0) != 0)
        return 0;
    if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        return 0;

    std::vector<std::unique_ptr<xls::Sheet>> sheets;
    std::string error;
    if (xls::readWorkbookInProcess(path, sheets, error)) {
        for (const auto& sheet : sheets) {
            for (int r = sheet->firstRow(); r <= sheet->lastRow() && r < sheet->firstRow() + 64;
                 ++r) {
                for (int c = 0; c < 12; ++c) {
                    (void)sheet->readNum(r, c);
                    (void)sheet->readStr(r, c);
                }
            }
        }
        if (!sheets.empty()) {
            corvane::ProgramList program;
            (void)corvane::readProgramSheet(*sheets.front(), program,
                                            corvane::ProgramScreen::MainWindow);
        }
    }
    corvane::ProgramList fromCsv;
    (void)corvane::readProgramCsv(std::string_view(reinterpret_cast<const char*>(data), size),
                                  fromCsv, corvane::ProgramScreen::Editor);
    return 0;
}
