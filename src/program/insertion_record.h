// One step of a plug-in program: exactly 12 text fields, numbers included.
#pragma once

#include <array>
#include <string>

#include "machine/stations.h"
#include "program/command_words.h"

namespace corvane {

// Field indices; also the columns of the program list views and of the file.
enum RecordField : int {
    kFieldNo = 0,
    kFieldX = 1,
    kFieldY = 2,
    kFieldAngle = 3,
    kFieldStation = 4,
    kFieldFootprint = 5,
    kFieldName = 6,  // "Element's name"
    kFieldDirection = 7,
    kFieldWidth = 8,
    kFieldHeight = 9,
    kFieldCommand = 10,
    kFieldBatch = 11,  // "Batch number"
};

inline constexpr int kRecordFieldCount = 12;

class InsertionRecord {
  public:
    InsertionRecord() = default;
    explicit InsertionRecord(std::array<std::string, kRecordFieldCount> fields)
        : fields_(std::move(fields)) {}

    // An index outside 0..11 reads as empty text and is not written.
    const std::string& field(int index) const;
    void setField(int index, std::string text);
    const std::array<std::string, kRecordFieldCount>& fields() const { return fields_; }

    // Whether field 10 holds the word of `command` in the current display
    // language (the comparison the program makes everywhere).
    bool is(ProgramCommand command) const;
    // A "check" or "uncheck" record: the only ones that take a component.
    bool isInsertion() const;

    bool operator==(const InsertionRecord&) const = default;

  private:
    std::array<std::string, kRecordFieldCount> fields_;
};

// Column headers of the record fields (program list view), English / Chinese.
const char* recordFieldHeader(int index);

}  // namespace corvane
