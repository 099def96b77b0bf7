// Production after a reset.
#include "production/run_restart.h"

#include "machine/motion_axis.h"
#include "machine/reset_worker.h"
#include "production/chain_feed.h"
#include "production/production_context.h"
#include "production/production_cycle.h"

namespace corvane {

void restartAfterReset(ProductionContext& context, ProductionCycle& cycle) {
    MachineState& state = context.state;
    // A record the reset interrupted is done again, or finished when its
    // leads were already cut, so no component is lost or counted twice.
    state.InsertStep = cycle.resumeStep(state.InsertStep.load());
    if (!state.RunFinished.load()) {
        roundChainToPitch();
        return;
    }
    // A new run.
    cycle.newRun();
    state.CurrentRecord = 0;
    state.BoardsProduced = 0;
    state.InsertStep = 0;
    state.ChainRequest = 0;
    state.ChainFeedState = kChainClear;
    state.WorkdeskPhase = kPhaseLoad;
    context.counters.clear();
    context.chainRequestDeferred = 1;
    state.RunFinished = 0;
    axis(kAxisL).SetPosition(0.0);
}

}  // namespace corvane
