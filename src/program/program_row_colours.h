// The colours of a record's row in the program list views: insertions plain,
// the steps that insert nothing set apart, so the operator reads the board's
// structure at a glance.
#pragma once

#include "program/insertion_record.h"
#include "program/material_verification.h"

namespace corvane {

// By the record's command word in either language (records keep the word of
// the language they were made in): "check" black on white, "uncheck" dark
// blue on white, "break" grey on white, "mark" on light yellow, "stop" and
// "continue" on light green, an unknown word red on white.
RowColours programRowColours(const InsertionRecord& record);

}  // namespace corvane
