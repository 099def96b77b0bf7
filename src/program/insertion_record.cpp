// Insertion record fields.
#include "program/insertion_record.h"

#include "platform/language.h"

namespace corvane {

const std::string& InsertionRecord::field(int index) const {
    static const std::string empty;
    if (index < 0 || index >= kRecordFieldCount)
        return empty;
    return fields_[static_cast<size_t>(index)];
}

void InsertionRecord::setField(int index, std::string text) {
    if (index < 0 || index >= kRecordFieldCount)
        return;
    fields_[static_cast<size_t>(index)] = std::move(text);
}

bool InsertionRecord::is(ProgramCommand command) const {
    return fields_[kFieldCommand] == commandWord(command);
}

bool InsertionRecord::isInsertion() const {
    return is(ProgramCommand::Check) || is(ProgramCommand::Uncheck);
}

const char* recordFieldHeader(int index) {
    static const char* const kHeaders[kRecordFieldCount][2] = {
        {"No.", "序号"},
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
        {"Batch number", "物料批号"},
    };
    if (index < 0 || index >= kRecordFieldCount)
        return "";
    return tr(kHeaders[index][0], kHeaders[index][1]);
}

}  // namespace corvane
