// Boards left in the machine when the feed ends.
#include "app/end_feed.h"

#include "machine/io_points.h"
#include "production/machine_state.h"

namespace corvane {

int endFeedPlannedBoards() {
    const MachineState& state = machineState();
    int boards = state.BoardsProduced.load();
    if (state.WorkdeskPhase.load() == kPhaseInsert)
        ++boards;
    if (input(kInLoadLiftCheckpoint1).IsActive() || input(kInLoadLiftCheckpoint2).IsActive())
        ++boards;
    return boards;
}

}  // namespace corvane
