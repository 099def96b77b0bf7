// Station rows derived from the program.
#include "program/station_list.h"

#include "platform/language.h"
#include "program/material_verification.h"
#include "platform/number_text.h"

namespace corvane {

namespace {

bool validStation(int station) {
    return station >= 1 && station <= kStationCount;
}

void emptyRow(StationRow& row) {
    const int station = row.station;
    row = StationRow();
    row.station = station;
}

}  // namespace

std::string StationRow::countsText() const {
    return counts > 0 ? formatInt(counts) : std::string();
}

const char* stationColumnHeader(int column) {
    static const char* const kHeaders[7][2] = {
        {"Station", "站位"},      {"Element's Name", "元件"}, {"Direction", "方向"},
        {"Width", "脚宽"},        {"Counts", "数量"},         {"Height", "高度"},
        {"Batch number", "料号"},
    };
    if (column < 0 || column >= 7)
        return "";
    return tr(kHeaders[column][0], kHeaders[column][1]);
}

StationTable::StationTable() {
    for (int i = 0; i < kStationCount; ++i)
        rows_[static_cast<size_t>(i)].station = i + 1;
}

const StationRow& StationTable::row(int station) const {
    return rows_[static_cast<size_t>(validStation(station) ? station - 1 : 0)];
}

void StationTable::build(const ProgramList& program, bool verification) {
    for (auto& row : rows_)
        emptyRow(row);
    bool complete = true;
    for (const InsertionRecord& record : program.records()) {
        const int station = parseInt(record.field(kFieldStation));
        // Stations beyond the chain cannot come from a file or the editor; a
        // record that has one anyway is left out rather than overrunning.
        if (!record.isInsertion() || !validStation(station))
            continue;
        StationRow& row = rows_[static_cast<size_t>(station - 1)];
        row.counts = row.name == record.field(kFieldName) ? row.counts + 1 : 1;
        row.name = record.field(kFieldName);
        row.direction = record.field(kFieldDirection);
        row.width = record.field(kFieldWidth);
        row.height = record.field(kFieldHeight);
        if (verification) {
            row.batch = record.field(kFieldBatch);
            if (row.batch.empty())
                complete = false;
        }
    }
    if (verification)
        materialVerificationFlags().batchNumbersComplete = complete;
}

StationTable::ReplaceResult StationTable::replaceStation(ProgramList& program, int from, int to,
                                                         bool verification) {
    if (!validStation(from) || !validStation(to))
        return ReplaceResult::OutOfRange;
    if (row(to).counts > 0)
        return ReplaceResult::TargetInUse;
    if (from == to)
        return ReplaceResult::Replaced;  // nothing moves
    {
        std::lock_guard lock(program.mutex());
        for (int i = 0; i < program.count(); ++i) {
            InsertionRecord* record = program.at(i);
            if (parseInt(record->field(kFieldStation)) == from)
                record->setField(kFieldStation, formatInt(to));
        }
    }
    StationRow& source = rows_[static_cast<size_t>(from - 1)];
    StationRow& target = rows_[static_cast<size_t>(to - 1)];
    target.name = source.name;
    target.direction = source.direction;
    target.width = source.width;
    target.counts = source.counts;
    target.height = source.height;
    if (verification)
        target.batch = source.batch;
    emptyRow(source);
    programChanged_ = true;
    return ReplaceResult::Replaced;
}

std::string replaceStationMessage(StationTable::ReplaceResult result) {
    switch (result) {
        case StationTable::ReplaceResult::OutOfRange:
            return tr("The station is out of range", "站位值超出范围");
        case StationTable::ReplaceResult::TargetInUse:
            return tr("The station is using already , please select unused replacement",
                      "该站位已经被使用，请选择没有使用的站位");
        case StationTable::ReplaceResult::Replaced:
            break;
    }
    return {};
}

bool StationTable::canEnterBatchNumber(int station, bool verification) const {
    return verification && validStation(station) && row(station).counts >= 1;
}

void StationTable::enterBatchNumber(ProgramList& program, int station, const std::string& batch) {
    if (!validStation(station))
        return;
    {
        std::lock_guard lock(program.mutex());
        for (int i = 0; i < program.count(); ++i) {
            InsertionRecord* record = program.at(i);
            if (record->isInsertion() && parseInt(record->field(kFieldStation)) == station) {
                record->setField(kFieldBatch, batch);
            }
        }
    }
    rows_[static_cast<size_t>(station - 1)].batch = batch;
    recomputeBatchNumbersComplete();
}

bool StationTable::setHeight(ProgramList& program, int station, const std::string& text) {
    if (!validStation(station) || row(station).counts < 1 || !isWholeNumber(text))
        return false;
    const std::string height = formatReal(parseReal(text), 3);
    {
        std::lock_guard lock(program.mutex());
        for (int i = 0; i < program.count(); ++i) {
            InsertionRecord* record = program.at(i);
            if (record->isInsertion() && parseInt(record->field(kFieldStation)) == station)
                record->setField(kFieldHeight, height);
        }
    }
    rows_[static_cast<size_t>(station - 1)].height = height;
    programChanged_ = true;
    return true;
}

bool StationTable::recomputeBatchNumbersComplete() const {
    bool complete = true;
    for (const auto& r : rows_) {
        if (r.counts > 0 && r.batch.empty())
            complete = false;
    }
    materialVerificationFlags().batchNumbersComplete = complete;
    return complete;
}

}  // namespace corvane
