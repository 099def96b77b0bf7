// Board transport: the load and unload lift threads, and the workdesk's load
// and unload phases run by the production cycle.
#pragma once

#include "production/production_context.h"

namespace corvane::platform {
class Worker;
}

namespace corvane {

// How a workdesk phase ended.
enum class PhaseEnd {
    EndPass,         // the pass ends here (the main loop pauses when stopped)
    ContinueInsert,  // the board is fixed: go on with insertion in this pass
};

class BoardTransport {
public:
    explicit BoardTransport(ProductionContext& context) : context_(context) {}

    // Phase 0 and phase 2 of the production thread.
    PhaseEnd loadPhase();
    PhaseEnd unloadPhase();

    // The pass-board waiting time since the current transfer began, added to
    // the statistics by the pause path.
    void addPassboardTime();

    // LoadLiftWorker and UnloadLiftWorker.
    int runLoadLift(platform::Worker& self);
    int runUnloadLift(platform::Worker& self);

private:
    // Both lifts down, then the platform to the "XY Stop-Position" with its
    // limits tested; false after an alarm.
    bool parkPlatform();
    // Phase 0 after the board reached the workdesk: the next board is asked
    // for, the board fixed, and insertion may begin.
    PhaseEnd fixLoadedBoard();

    ProductionContext& context_;
    // The board on the workdesk came in by phase 0 and has not been sent on.
    bool boardLoaded_ = false;
    int64_t passStart_ = 0;
    bool passTiming_ = false;
};

// Whether the platform stands at the "XY Stop-Position" (within 0.01 on X and Y).
bool platformAtStopPosition();
// Moves X and Y together to the "XY Stop-Position" at X's production speed and
// waits up to `limitSeconds` for each.
void movePlatformToStopPosition(double limitSeconds);
// After a move to the stop position: an axis on a limit stops the machine.
void checkPlatformLimits(MachineState& state);

}  // namespace corvane
