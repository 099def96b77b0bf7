// CSV with RFC 4180 quoting.
#include "program/program_csv.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/number_text.h"
#include "xls/xls.h"

namespace corvane {

namespace {

std::string quoted(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos &&
        (field.empty() || (field.front() != ' ' && field.back() != ' '))) {
        return field;
    }
    std::string out = "\"";
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::vector<std::vector<std::string>> parse(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    bool quotedField = false;
    bool rowStarted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quotedField) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quotedField = false;
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            quotedField = true;
            rowStarted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            rowStarted = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            rowStarted = false;
        } else {
            field += c;
            rowStarted = true;
        }
    }
    if (rowStarted || !field.empty()) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

bool isNumberColumn(int column) {
    return column == kFieldNo || column == kFieldX || column == kFieldY || column == kFieldAngle ||
           column == kFieldStation || column == kFieldWidth || column == kFieldHeight;
}

}  // namespace

std::string programToCsv(const ProgramList& program) {
    std::string out;
    for (int c = 0; c < kRecordFieldCount; ++c) {
        if (c > 0)
            out += ',';
        out += quoted(programFileHeader(c));
    }
    out += '\n';
    for (const auto& record : program.records()) {
        for (int c = 0; c < kRecordFieldCount; ++c) {
            if (c > 0)
                out += ',';
            out += quoted(record.field(c));
        }
        out += '\n';
    }
    return out;
}

void csvToSheet(std::string_view csv, xls::Sheet& sheet) {
    const auto rows = parse(csv);
    for (size_t r = 0; r < rows.size() && r < static_cast<size_t>(xls::kMaxRows); ++r) {
        const int row = static_cast<int>(r);
        for (size_t c = 0; c < rows[r].size() && c < static_cast<size_t>(xls::kMaxColumns); ++c) {
            const int col = static_cast<int>(c);
            const std::string& field = rows[r][c];
            if (field.empty())
                continue;
            if (row > 0 && isNumberColumn(col) && isWholeNumber(field)) {
                sheet.writeNum(row, col, parseReal(field));
            } else if (row > 0 && col == kFieldBatch && batchNumberIsNumeric(field)) {
                sheet.writeNum(row, col, parseInt(field));
            } else {
                sheet.writeStr(row, col, field);
            }
        }
    }
}

ProgramReadResult readProgramCsv(std::string_view csv, ProgramList& program, ProgramScreen screen) {
    xls::Sheet sheet("Sheet1");
    csvToSheet(csv, sheet);
    return readProgramSheet(sheet, program, screen);
}

ProgramReadResult readProgramCsvFile(const std::string& path, ProgramList& program,
                                     ProgramScreen screen) {
    program.clear();
    std::error_code error;
    std::ifstream in(path, std::ios::binary);
    if (!in || !std::filesystem::is_regular_file(path, error)) {
        return {ProgramReadResult::Outcome::Unreadable, unreadableProgramMessage(path), 0};
    }
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        text.append(chunk, static_cast<size_t>(in.gcount()));
    return readProgramCsv(text, program, screen);
}

bool writeProgramCsvFile(const std::string& path, const ProgramList& program, std::string* error) {
    return platform::writeFileAtomically(path, programToCsv(program), error);
}

bool isCsvPath(std::string_view path) {
    if (path.size() < 4)
        return false;
    std::string extension(path.substr(path.size() - 4));
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".csv";
}

ProgramReadResult readProgramAnyFile(const std::string& path, ProgramList& program,
                                     ProgramScreen screen) {
    return isCsvPath(path) ? readProgramCsvFile(path, program, screen)
                           : readProgramFile(path, program, screen);
}

}  // namespace corvane
