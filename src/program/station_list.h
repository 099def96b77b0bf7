// The station list: what each of the 12 chain stations must hold according to
// the program, moving all the work of one station to another, and tying a
// station's records to a scanned material batch number.
#pragma once

#include <array>
#include <string>

#include "program/program_list.h"

namespace corvane {

struct StationRow {
    int station = 0;   // 1..12
    std::string name;  // "Element's Name"
    std::string direction;
    std::string width;
    int counts = 0;  // records using the station since its name last changed; 0 shows empty
    std::string height;
    std::string batch;  // only while material-number verification is on

    // Counts as the list shows it: empty for 0.
    std::string countsText() const;
    bool operator==(const StationRow&) const = default;
};

// Column headers of the station list (display language); column 6, the batch
// number, exists only while verification is on.
const char* stationColumnHeader(int column);

class StationTable {
  public:
    enum class ReplaceResult { Replaced, OutOfRange, TargetInUse };

    StationTable();

    // Rebuilds the rows from the program: a "check" or "uncheck" record of
    // station s (1..12) adds to row s when its name equals the row's name and
    // overwrites the row (Counts 1) otherwise, so the row shows the last run
    // of equal names. With verification on, the batch numbers are taken too
    // and the batch-numbers-complete flag is recomputed.
    void build(const ProgramList& program, bool verification);

    // Row of station 1..12 (station 1 for anything else).
    const StationRow& row(int station) const;
    const std::array<StationRow, kStationCount>& rows() const { return rows_; }

    // Moves every record of station `from` (whatever its command) and the row
    // to station `to`. Refused, changing nothing, when a number is outside
    // 1..12 or the target row has Counts.
    ReplaceResult replaceStation(ProgramList& program, int from, int to, bool verification);
    // Whether a replacement changed the program since the table was made
    // (the main window then refreshes its views).
    bool programChanged() const { return programChanged_; }

    // Whether choosing the station's row opens the scanning dialog.
    bool canEnterBatchNumber(int station, bool verification) const;
    // The scanned text becomes the batch number of every "check" or
    // "uncheck" record of the station, in the program and in the row.
    void enterBatchNumber(ProgramList& program, int station, const std::string& batch);
    // Height typed into a row (the one cell the screen edits in place): a
    // number, which becomes, with 3 decimals, the Height of the row and of
    // every "check" or "uncheck" record of the station. Refused (nothing
    // changes) for a station without Counts or a text that is not a number.
    bool setHeight(ProgramList& program, int station, const std::string& text);

    // True when every row with Counts has a batch number; also stored in the
    // process-wide flag.
    bool recomputeBatchNumbersComplete() const;

  private:
    std::array<StationRow, kStationCount> rows_;
    bool programChanged_ = false;
};

// The refusal message of a replacement in the display language; empty for
// Replaced.
std::string replaceStationMessage(StationTable::ReplaceResult result);

}  // namespace corvane
