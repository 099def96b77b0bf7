// The plug-in program's spreadsheet file: one worksheet "Sheet1", a header
// row, one row per record in the 12 field columns. Reading validates every
// row and converts command words into the display language; writing puts the
// row numbers in column 0 and headers in the display language.
#pragma once

#include <string>
#include <string_view>

#include "program/program_list.h"

namespace xls {
class Sheet;
}

namespace corvane {

// The two screens that open and save programs; they differ in the wording
// of some messages.
enum class ProgramScreen { MainWindow, Editor };

struct ProgramReadResult {
    enum class Outcome {
        Loaded,      // the program holds the file's records
        Unreadable,  // not a workbook the reader understands, or no first sheet
        Refused,     // a row broke a rule; `message` says which (empty: the angle rule)
    };
    Outcome outcome = Outcome::Loaded;
    std::string message;
    int row = 0;  // the sheet row that was refused

    bool loaded() const { return outcome == Outcome::Loaded; }
};

// The rows of a worksheet into `program` (cleared first). On refusal the
// program is left empty.
ProgramReadResult readProgramSheet(const xls::Sheet& sheet, ProgramList& program,
                                   ProgramScreen screen);
// The same from a file; an unreadable file leaves the program empty.
ProgramReadResult readProgramFile(const std::string& path, ProgramList& program,
                                  ProgramScreen screen);

// Header, records and batch cells of a program into an empty worksheet.
void fillProgramSheet(xls::Sheet& sheet, const ProgramList& program);
// Writes the program as a workbook, replacing the file atomically.
bool writeProgramFile(const std::string& path, const ProgramList& program,
                      std::string* error = nullptr);

// The path a chosen file name stands for: its extension becomes "xls"
// ("plan.txt" and "plan" both give "plan.xls").
std::string programFilePath(std::string_view chosen);

// Whether a batch number is written as a number cell: non-empty, the decimal
// rendering of its integer value is the text itself, and not 0 (a 0 cell
// reads back as empty text, so "0" stays text).
bool batchNumberIsNumeric(std::string_view batch);

// The refusal of a read as a text: the rule's message, or for the rules the
// machine applies silently, which row broke them.
std::string readRefusalText(const ProgramReadResult& result);

// Column headers of the file, in the display language.
const char* programFileHeader(int column);

// Messages of the reader and of saving, in the display language.
std::string stationOutOfRangeMessage();
std::string widthNotValidMessage(ProgramScreen screen);
std::string commandNotDefinedMessage();
std::string unreadableProgramMessage(const std::string& path);
std::string saveFailedMessage(ProgramScreen screen);
std::string nothingToSaveMessage(ProgramScreen screen);

// What the screens do (the file dialog is theirs).
//
// Open: the path rule, the program takes the path, then the read; a refused
// or unreadable file shows its message. Returns whether the program was
// loaded.
bool openProgram(std::string_view chosen, ProgramList& program, ProgramScreen screen);
// Before the save dialog: an empty program is refused with a message (no
// dialog); otherwise the closing record is appended when needed. Returns
// whether the dialog is to be shown.
bool prepareProgramSave(ProgramList& program, ProgramScreen screen);
// After the save dialog: the path rule, the program takes the path, the
// write; a failed write shows its message. Returns whether it was written.
bool saveProgram(std::string_view chosen, ProgramList& program, ProgramScreen screen);

}  // namespace corvane
