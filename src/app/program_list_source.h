// The production side's view of a program list.
#pragma once

#include "production/program_source.h"

namespace corvane {

class ProgramList;
class InsertionRecord;

// Numbers parsed as the machine reads them: integers with atoi, reals with
// strtod; the command recognised from its word.
ProductionRecord toProductionRecord(const InsertionRecord& record);

class ProgramListSource : public ProgramSource {
public:
    explicit ProgramListSource(const ProgramList& list) : list_(list) {}
    int count() const override;
    ProductionRecord record(int number) const override;

private:
    const ProgramList& list_;
};

}  // namespace corvane
