// The production cycle: one board after another through the workdesk phases
// and, in phase 1, the insertion step machine.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "production/board_transport.h"
#include "production/production_context.h"

namespace corvane::platform {
class Worker;
}

namespace corvane {

class ProductionCycle {
public:
    ProductionCycle(ProductionContext& context, BoardTransport& transport)
        : context_(context), transport_(transport) {}

    // ProductionWorker.
    int run(platform::Worker& self);

    // LeadCheckLatchWorker: copies the lead sensors into their latches.
    static int runLeadLatch(ProductionContext& context);

    // Board offset measured on the last "mark" record (thread-owned; read by
    // tests after the thread paused).
    std::array<double, 2> markOffset() const { return markOffset_; }

    // Where Start picks up after a reset that interrupted the step machine at
    // `interrupted`: a record whose leads were not cut yet is done again from
    // its platform move (the component stays where it is: at the CTA or in
    // the head); a record that was cut is finished.
    int resumeStep(int interrupted) const;
    // A new run: nothing is held over from the last board.
    void newRun();

private:
    enum class Flow { Next, EndPass };

    void insertionPhase();
    Flow runStep(int step);
    Flow step0();
    Flow step2();
    Flow step3();
    // "stop" and "continue": the platform goes to the record's position.
    Flow endOfRecordStep(double limit, bool isStop);
    Flow markStep();
    Flow judge();

    // "pause if One-Step": remember the next step and stop the machine.
    Flow pauseIfOneStep(int nextStep);
    // Ends the pass with an alarm, leaving InsertStep where it is.
    Flow alarm(int code);
    // Waits for the forfex seat to be back at its origin.
    bool forfexSeatHome(double limit);
    void moveTo(int axisIndex, double position);
    void insertionPoint(double& x, double& y) const;
    void latchLeads();
    void pausePath(platform::Worker& self);
    bool oneStep() const;
    void finishBoard();

    ProductionContext& context_;
    BoardTransport& transport_;
    ProductionRecord record_;
    std::array<double, 2> markOffset_{0, 0};
    // The component of the current record has been pushed into the head and
    // not cut yet; the next component has been asked of the chain. Read by
    // the window thread while the cycle is paused.
    std::atomic<bool> componentInHead_{false};
    std::atomic<bool> nextRequested_{false};
    bool leadSeenLeft_ = false;
    bool leadSeenRight_ = false;
    int64_t passStart_ = 0;
};

}  // namespace corvane
