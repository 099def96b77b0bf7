// Reading and writing the program's workbook.
#include "program/program_file.h"

#include <climits>
#include <cmath>

#include "platform/language.h"
#include "platform/number_text.h"
#include "xls/xls.h"

namespace corvane {

namespace {

// Truncation toward zero, as the reader turns a cell into an integer; values
// beyond int (and NaN) are clamped rather than undefined.
int truncate(double value) {
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

std::string text(const xls::Sheet& sheet, int row, int col) {
    const char* value = sheet.readStr(row, col);
    return value != nullptr ? std::string(value) : std::string();
}

bool isPitch(double width) {
    return width == 2.5 || width == 3.5 || width == 5.0 || width == 7.5 || width == 10.0;
}

ProgramReadResult refuse(ProgramList& program, int row, std::string message) {
    program.clear();
    return {ProgramReadResult::Outcome::Refused, std::move(message), row};
}

}  // namespace

const char* programFileHeader(int column) {
    static const char* const kHeaders[kRecordFieldCount][2] = {
        {"No", "序号"},
        {"X", "X轴"},
        {"Y", "Y轴"},
        {"Angle", "角度"},
        {"Station", "站位"},
        {"Footprint", "脚位"},
        {"element's Name", "元件"},
        {"Direction", "方向"},
        {"Width", "脚宽"},
        {"Height", "高度"},
        {"Command", "命令"},
        {"Batch number", "料号"},
    };
    if (column < 0 || column >= kRecordFieldCount)
        return "";
    return tr(kHeaders[column][0], kHeaders[column][1]);
}

std::string stationOutOfRangeMessage() {
    return tr("The file format is not valid,the station  is out of range",
              "文件格式不正确，站位值超出范围");
}

std::string widthNotValidMessage(ProgramScreen screen) {
    if (screen == ProgramScreen::Editor) {
        return tr("The file format is not valid, the Width must be 2.5,3.5,5.0,7.5,10.0",
                  "文件格式不正确，宽度值只能是2.5,3.5,5.0,7.5,10.0");
    }
    return tr("The file format is not valid, the width must be 2.5,3.5,5.0,7.5,10.0",
              "文件格式不正确，宽度值只能是2.5，3.5,5.0,7.5,10.0");
}

std::string commandNotDefinedMessage() {
    return tr("The file format is not valid, the command is not defined",
              "文件格式不正确，命令没有定义");
}

std::string unreadableProgramMessage(const std::string& path) {
    return std::string(tr("The file cannot be read as plug-in data: ", "无法读取插件数据文件: ")) +
           path;
}

std::string readRefusalText(const ProgramReadResult& result) {
    if (!result.message.empty())
        return result.message;
    return std::string(
               tr("The file format is not valid, the angle or a position is out of range in row ",
                  "文件格式不正确，角度或位置超出范围，行 ")) +
           std::to_string(result.row + 1);
}

std::string saveFailedMessage(ProgramScreen screen) {
    return screen == ProgramScreen::Editor
               ? tr("Failure to save plugin data to file", "保存文件失败")
               : tr("Failure to save plug-data to file", "保存文件失败");
}

std::string nothingToSaveMessage(ProgramScreen screen) {
    return screen == ProgramScreen::Editor
               ? tr("No plug-in data can be saved.", "没有插件数据可以保存！")
               : tr("No plug-in data can be saved.", "没有插件数据可以保存");
}

ProgramReadResult readProgramSheet(const xls::Sheet& sheet, ProgramList& program,
                                   ProgramScreen screen) {
    std::lock_guard lock(program.mutex());
    program.clear();
    const int rows = sheet.lastRow() - sheet.firstRow();
    for (int r = 1; r <= rows; ++r) {
        const double no = sheet.readNum(r, 0);
        const double x = sheet.readNum(r, 1);
        const double y = sheet.readNum(r, 2);
        const double angle = sheet.readNum(r, 3);
        const int station = truncate(sheet.readNum(r, 4));
        const double width = sheet.readNum(r, 8);
        const double height = sheet.readNum(r, 9);
        const std::string command = text(sheet, r, 10);
        const int batchNumber = truncate(sheet.readNum(r, 11));

        // A position the platform cannot go to is refused like an angle
        // beyond 90 degrees: silently.
        if (!std::isfinite(angle) || std::fabs(angle) > 90.0 || !std::isfinite(x) ||
            !std::isfinite(y) || !std::isfinite(height)) {
            return refuse(program, r, {});
        }
        if (station < 0 || station > kStationCount)
            return refuse(program, r, stationOutOfRangeMessage());
        if (!isPitch(width))
            return refuse(program, r, widthNotValidMessage(screen));
        if (!isCommandWord(command))
            return refuse(program, r, commandNotDefinedMessage());

        program.append(InsertionRecord(
            {formatInt(truncate(no)), formatReal(x, 3), formatReal(y, 3), formatReal(angle, 3),
             formatInt(station), text(sheet, r, 5), text(sheet, r, 6), text(sheet, r, 7),
             formatReal(width, 1), formatReal(height, 3), translateCommand(command),
             batchNumber != 0 ? formatInt(batchNumber) : text(sheet, r, 11)}));
    }
    return {};
}

ProgramReadResult readProgramFile(const std::string& path, ProgramList& program,
                                  ProgramScreen screen) {
    program.clear();
    auto book = xls::createBook();
    const xls::Sheet* sheet = book && book->load(path) ? book->getSheet(0) : nullptr;
    if (sheet == nullptr) {
        return {ProgramReadResult::Outcome::Unreadable, unreadableProgramMessage(path), 0};
    }
    return readProgramSheet(*sheet, program, screen);
}

bool batchNumberIsNumeric(std::string_view batch) {
    if (batch.empty())
        return false;
    const int value = parseInt(batch);
    return value != 0 && formatInt(value).size() == batch.size();
}

void fillProgramSheet(xls::Sheet& sheet, const ProgramList& program) {
    for (int c = 0; c < kRecordFieldCount; ++c)
        sheet.writeStr(0, c, programFileHeader(c));
    const auto records = program.records();
    for (size_t i = 0; i < records.size(); ++i) {
        const InsertionRecord& record = records[i];
        const int r = static_cast<int>(i) + 1;
        sheet.writeNum(r, 0, r);
        for (int c : {kFieldX, kFieldY, kFieldAngle, kFieldStation})
            sheet.writeNum(r, c, parseReal(record.field(c)));
        for (int c : {kFieldFootprint, kFieldName, kFieldDirection})
            sheet.writeStr(r, c, record.field(c));
        for (int c : {kFieldWidth, kFieldHeight})
            sheet.writeNum(r, c, parseReal(record.field(c)));
        sheet.writeStr(r, kFieldCommand, record.field(kFieldCommand));
        const std::string& batch = record.field(kFieldBatch);
        if (batchNumberIsNumeric(batch)) {
            sheet.writeNum(r, kFieldBatch, parseInt(batch));
        } else {
            sheet.writeStr(r, kFieldBatch, batch);
        }
    }
}

bool writeProgramFile(const std::string& path, const ProgramList& program, std::string* error) {
    auto book = xls::createBook();
    if (!book)
        return false;
    if (xls::Sheet* sheet = book->addSheet("Sheet1"); sheet != nullptr)
        fillProgramSheet(*sheet, program);
    if (!book->save(path)) {
        if (error != nullptr)
            *error = book->errorMessage();
        return false;
    }
    return true;
}

std::string programFilePath(std::string_view chosen) {
    std::string path(chosen);
    const size_t nameStart =
        path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1;
    const size_t dot = path.rfind('.');
    const std::string extension =
        dot != std::string::npos && dot >= nameStart ? path.substr(dot + 1) : std::string();
    while (!path.empty() && path.size() > nameStart &&
           extension.find(path.back()) != std::string::npos) {
        path.pop_back();
    }
    if (path.empty() || path.back() != '.')
        path += '.';
    return path + "xls";
}

}  // namespace corvane
