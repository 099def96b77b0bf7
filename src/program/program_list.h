// The plug-in program: an ordered list of owned insertion records plus the
// path of its file. The process has one (programList()), which every screen
// reads and edits in place; tests and the command-line program hold their own.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "program/insertion_record.h"

namespace corvane {

inline constexpr const char* kDefaultProgramPath = "tmp.xls";

class ProgramList {
  public:
    ProgramList() = default;
    ProgramList(const ProgramList&) = delete;
    ProgramList& operator=(const ProgramList&) = delete;

    // Record operations. Index 0 is the first step. Records keep their
    // address while they are in the list, so a screen may hold a pointer.
    void append(InsertionRecord record);
    // Index from 0 to count(); false (nothing changed) outside.
    bool insertAt(int index, InsertionRecord record);
    // Deletes the record; false when the index is outside the list.
    bool removeAt(int index);
    // Null outside the list.
    InsertionRecord* at(int index);
    const InsertionRecord* at(int index) const;
    // A copy, for a thread that must not hold a pointer while the window
    // thread edits; an empty record outside the list.
    InsertionRecord record(int index) const;
    int count() const;
    bool empty() const { return count() == 0; }
    // Deletes every record, then empties the list.
    void clear();
    // Copies of every record, in order.
    std::vector<InsertionRecord> records() const;

    // The program's file path: "tmp.xls" until a file is opened or saved.
    std::string path() const;
    void setPath(std::string path);

    // Held by list operations; a thread reading or editing several records
    // as one step (production reading a record while the window thread edits
    // one) holds it around the whole step.
    std::recursive_mutex& mutex() const { return mutex_; }

  private:
    mutable std::recursive_mutex mutex_;
    std::vector<std::unique_ptr<InsertionRecord>> records_;
    std::string path_ = kDefaultProgramPath;
};

// The one program of the process.
ProgramList& programList();

}  // namespace corvane
