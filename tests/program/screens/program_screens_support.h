// Programs built inline for the program screen tests.
#pragma once

#include <string>

#include "program/command_words.h"
#include "program/insertion_record.h"
#include "platform/number_text.h"
#include "program/program_list.h"

namespace program_screens_test {

inline corvane::InsertionRecord record(int no, int station, const std::string& name,
                                       corvane::ProgramCommand command,
                                       const std::string& batch = "") {
    return corvane::InsertionRecord({std::to_string(no), corvane::formatReal(10.0 + no, 3),
                                     "20.000", "0.000", std::to_string(station), "FP", name, "N",
                                     "5.0", "3.000", corvane::commandWord(command), batch});
}

}  // namespace program_screens_test
