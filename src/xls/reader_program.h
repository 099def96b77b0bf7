// Running the workbook reader program, corvane-xls-reader, on a workbook.
#pragma once

#include <string>

namespace xls {

inline constexpr const char* kReaderProgram = "corvane-xls-reader";
// Chooses the reader program instead of the one beside the executable.
inline constexpr const char* kReaderVariable = "CORVANE_XLS_READER";

// Runs the reader program on `workbook` (the bytes of a compound file) and
// hands back its answer (cell_reply.h) unparsed. False, with the reason, when
// the program is missing or cannot be started, crashes, ends with a failure,
// gives no answer within its time limit or answers more than a workbook can
// hold. The program is $CORVANE_XLS_READER when set, else the one in the
// running executable's directory, else the one in ../bin beside it.
bool runReaderProgram(const std::string& workbook, std::string& reply, std::string& error);

// An in-memory file, closed on exec, holding `bytes`; -1 on failure.
int memoryFile(const std::string& bytes);

}  // namespace xls
