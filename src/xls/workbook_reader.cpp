// The workbook pipeline: libgsf, record checks, a fresh compound file, freexl
// in the reader program, its answer parsed back into sheets.
#include "xls/workbook_reader.h"

#include <unistd.h>

#include "xls/biff_records.h"
#include "xls/cell_reply.h"
#include "xls/freexl_reader.h"
#include "xls/ole2_container.h"
#include "xls/reader_program.h"

namespace xls {

namespace {

// The workbook as freexl may see it: its stream taken out by libgsf, its
// records checked, packed into a new compound file.
std::string cleanWorkbook(const std::string& path, std::string& error) {
    std::string stream;
    std::string streamName;
    if (!extractWorkbook(path, stream, streamName, error))
        return {};
    const std::string records = checkedRecords(stream, error);
    if (records.empty())
        return {};
    return packWorkbook(records, &error, streamName.c_str());
}

class SheetBuilder : public CellSink {
  public:
    explicit SheetBuilder(std::vector<std::unique_ptr<Sheet>>& sheets) : sheets_(sheets) {}

    void sheet(const std::string& name) override {
        sheets_.push_back(std::make_unique<Sheet>(name));
    }
    void number(int row, int col, double value) override {
        sheets_.back()->writeNum(row, col, value);
    }
    void text(int row, int col, const std::string& value) override {
        sheets_.back()->writeStr(row, col, value);
    }

  private:
    std::vector<std::unique_ptr<Sheet>>& sheets_;
};

bool parseInto(const std::string& reply, std::vector<std::unique_ptr<Sheet>>& sheets,
               std::string& error) {
    SheetBuilder builder(sheets);
    if (parseReply(reply, builder, error))
        return true;
    sheets.clear();
    return false;
}

}  // namespace

bool readWorkbook(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets,
                  std::string& error) {
    sheets.clear();
    const std::string workbook = cleanWorkbook(path, error);
    if (workbook.empty())
        return false;
    std::string reply;
    if (!runReaderProgram(workbook, reply, error))
        return false;
    return parseInto(reply, sheets, error);
}

bool readWorkbookInProcess(const std::string& path, std::vector<std::unique_ptr<Sheet>>& sheets,
                           std::string& error) {
    sheets.clear();
    const std::string workbook = cleanWorkbook(path, error);
    if (workbook.empty())
        return false;
    const int file = memoryFile(workbook);
    if (file < 0) {
        error = "cannot hold the workbook in memory";
        return false;
    }
    ReplyWriter reply(-1);
    std::string readError;
    const bool read = readWithFreexl("/proc/self/fd/" + std::to_string(file), reply, readError);
    ::close(file);
    reply.finish(read, readError);
    return parseInto(reply.kept(), sheets, error);
}

}  // namespace xls
