// The process's stop words.
#include "machine/machine_stops.h"

namespace corvane {

MachineStops& machineStops() {
    static MachineStops stops;
    return stops;
}

}  // namespace corvane
