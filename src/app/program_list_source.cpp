// Reading program records for the production workers.
#include "app/program_list_source.h"

#include <cstdlib>

#include "program/program_list.h"

namespace corvane {

ProductionRecord toProductionRecord(const InsertionRecord& record) {
    ProductionRecord r;
    r.x = std::strtod(record.field(kFieldX).c_str(), nullptr);
    r.y = std::strtod(record.field(kFieldY).c_str(), nullptr);
    r.angle = std::atoi(record.field(kFieldAngle).c_str());
    r.station = std::atoi(record.field(kFieldStation).c_str());
    r.width = std::strtod(record.field(kFieldWidth).c_str(), nullptr);
    r.height = std::strtod(record.field(kFieldHeight).c_str(), nullptr);
    r.commandWord = record.field(kFieldCommand);
    r.command = parseCommand(r.commandWord);
    r.footprint = record.field(kFieldFootprint);
    r.elementName = record.field(kFieldName);
    r.direction = record.field(kFieldDirection);
    return r;
}

int ProgramListSource::count() const { return list_.count(); }

ProductionRecord ProgramListSource::record(int number) const {
    return toProductionRecord(list_.record(number - 1));
}

}  // namespace corvane
