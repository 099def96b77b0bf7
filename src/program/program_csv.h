// A plug-in program as comma-separated text (UTF-8, a header row, fields
// quoted where needed), for exchanging programs with other tools. Reading goes
// through the same validation as a workbook.
#pragma once

#include <string>
#include <string_view>

#include "program/program_file.h"

namespace corvane {

// The header row (file headers, display language) and one row per record.
std::string programToCsv(const ProgramList& program);

// Parses the text into a worksheet the reader validates. Cells get the types
// the program's own writer would give them: the number columns hold numbers
// when the field is one, the text columns text, the batch number by the batch
// rule.
void csvToSheet(std::string_view csv, xls::Sheet& sheet);

// csvToSheet and readProgramSheet.
ProgramReadResult readProgramCsv(std::string_view csv, ProgramList& program, ProgramScreen screen);
// The same from a file; a file that cannot be read is Unreadable.
ProgramReadResult readProgramCsvFile(const std::string& path, ProgramList& program,
                                     ProgramScreen screen);
// Writes the CSV text, replacing the file atomically.
bool writeProgramCsvFile(const std::string& path, const ProgramList& program,
                         std::string* error = nullptr);

// Whether a path names a CSV file (".csv" in any letter case).
bool isCsvPath(std::string_view path);
// A workbook or, for ".csv", a CSV file.
ProgramReadResult readProgramAnyFile(const std::string& path, ProgramList& program,
                                     ProgramScreen screen);

}  // namespace corvane
