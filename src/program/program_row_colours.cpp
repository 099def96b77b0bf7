// Row colours of the program list views.
#include "program/program_row_colours.h"

#include "program/command_words.h"

namespace corvane {

RowColours programRowColours(const InsertionRecord& record) {
    // Windows COLORREF values, 0x00BBGGRR.
    const auto command = commandOfWord(record.field(kFieldCommand));
    if (!command)
        return {0x0000C0, 0xFFFFFF};
    switch (*command) {
        case ProgramCommand::Check:
            return kNormalRow;
        case ProgramCommand::Uncheck:
            return {0x800000, 0xFFFFFF};
        case ProgramCommand::Break:
            return {0x808080, 0xFFFFFF};
        case ProgramCommand::Mark:
            return {0x000000, 0xC0FFFF};
        case ProgramCommand::Stop:
        case ProgramCommand::Continue:
            return {0x000000, 0xD0F0D0};
    }
    return kNormalRow;
}

}  // namespace corvane
