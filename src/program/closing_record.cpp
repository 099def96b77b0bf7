// The closing record at the machine's "XY Stop-Position".
#include "machine/machine_parameters.h"
#include "program/program_rules.h"

namespace corvane {

bool appendClosingRecordIfNeeded(ProgramList& program) {
    return appendClosingRecordIfNeeded(program, machineParameters().xyStopPosition);
}

}  // namespace corvane
