// The "End-feed" switch: the previous machine is to give no more boards, and
// the run ends once the boards already in the machine are finished.
#pragma once

namespace corvane {

// The planned count that finishes the boards in the machine and takes no
// more: the boards made so far, the board on the workdesk while it is being
// inserted, and a board waiting on the load lift.
int endFeedPlannedBoards();

}  // namespace corvane
