// The production cycle thread and the lead-check latch thread.
#include "production/production_cycle.h"

#include <algorithm>
#include <cmath>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/worker.h"
#include "production/alarm_texts.h"
#include "production/chain_feed.h"
#include "production/insertion_steps.h"
#include "production/machine_waits.h"
#include "stats/production_statistics.h"

namespace corvane {

namespace {

}  // namespace

int ProductionCycle::runLeadLatch(ProductionContext& context) {
    ProductionSettings& settings = context.settings;
    while (!context.quitting()) {
        if (settings.LeadLatchLeft.load() == 0 && input(kInLeftCheck).IsActive()) {
            settings.LeadLatchLeft = 1;
        }
        if (settings.LeadLatchRight.load() == 0 && input(kInRightCheck).IsActive()) {
            settings.LeadLatchRight = 1;
        }
        sleepMs(1);
    }
    return 0;
}

int ProductionCycle::run(platform::Worker& self) {
    MachineState& state = context_.state;
    while (!context_.quitting()) {
        switch (state.WorkdeskPhase.load()) {
            case kPhaseLoad:
                if (transport_.loadPhase() == PhaseEnd::ContinueInsert) {
                    insertionPhase();
                }
                break;
            case kPhaseInsert:
                insertionPhase();
                break;
            default:
                transport_.unloadPhase();
                break;
        }
        if (context_.quitting()) break;
        if (context_.stopping()) {
            pausePath(self);
        }
    }
    return 0;
}

void ProductionCycle::pausePath(platform::Worker& self) {
    MachineState& state = context_.state;
    context_.statistics.AddProductionTime(platform::secondsSince(context_.runStartCounter.load()));
    context_.runStartCounter = platform::Clock::performanceCounter();
    if (state.WorkdeskPhase.load() != kPhaseInsert) {
        transport_.addPassboardTime();
    }
    // The flag goes up before the window hears of the pause: a Start from now
    // on finds it and resumes this thread, which then passes straight through.
    self.beginPause();
    if (state.StopRequest.load()) state.StopKind = kStopped;
    if (state.EmergencyStopActive.load()) {
        state.StopKind = kEmergencyStopped;
        context_.settings.NeedsReset = 1;
    }
    // MSG_PRODUCTION_STOPPED lets the mouse pointer leave the Stop button.
    context_.window.send(MSG_PRODUCTION_STOPPED);
    self.suspendSelf();
}

bool ProductionCycle::oneStep() const {
    return context_.settings.ProductionMode.load() == kModeOneStep;
}

ProductionCycle::Flow ProductionCycle::pauseIfOneStep(int nextStep) {
    context_.state.InsertStep = nextStep;
    if (oneStep()) {
        context_.state.StopRequest = 1;
        return Flow::EndPass;
    }
    return Flow::Next;
}

ProductionCycle::Flow ProductionCycle::alarm(int code) {
    context_.raiseAlarm(code);
    return Flow::EndPass;
}

bool ProductionCycle::forfexSeatHome(double limit) {
    EnsureOutput(output(kOutForfexSeat), false);
    return waitForInput(input(kInForfexSeatOrigin), limit);
}

void ProductionCycle::moveTo(int axisIndex, double position) {
    MotionAxis& a = axis(axisIndex);
    const double factor = context_.state.SpeedFactor.load();
    a.MoveTo(position, a.startSpeed() * factor, a.maxSpeed() * factor);
}

void ProductionCycle::insertionPoint(double& x, double& y) const {
    const MachineParameters& p = machineParameters();
    const auto& compensation = p.compensation(record_.angle);
    x = record_.x + markOffset_[0] + p.cameraToShaft[0] + compensation[0];
    y = record_.y + markOffset_[1] + p.cameraToShaft[1] + compensation[1];
}

void ProductionCycle::latchLeads() {
    if (input(kInLeftCheck).IsActive()) context_.settings.LeadLatchLeft = 1;
    if (input(kInRightCheck).IsActive()) context_.settings.LeadLatchRight = 1;
}

void ProductionCycle::insertionPhase() {
    MachineState& state = context_.state;
    if (context_.program.count() == 0) {
        state.WorkdeskPhase = kPhaseUnload;
        return;
    }
    state.WorkdeskPhase = kPhaseInsert;
    if (!input(kInLoadLiftOrigin).IsActive()) output(kOutLoadLift).Off();
    if (!input(kInUnloadLiftOrigin).IsActive()) output(kOutUnloadLift).Off();
    if (output(kOutPcbFixing1).IsOn()) output(kOutPcbFixing1).Off();
    if (output(kOutPcbFixing2).IsOn()) output(kOutPcbFixing2).Off();
    if (!waitForInput(input(kInLoadLiftOrigin), kLiftOriginLimit)) {
        alarm(kAlarmLoadLiftHome);
        return;
    }
    if (!waitForInput(input(kInUnloadLiftOrigin), kLiftOriginLimit)) {
        alarm(kAlarmUnloadLiftHome);
        return;
    }
    if (!waitForInput(input(kInPcbFixing), kCylinderLimit)) {
        alarm(kAlarmPcbFix);
        return;
    }
    if (state.CurrentRecord.load() == 0 && platformAtStopPosition() &&
        !input(kInPcbArriveWorkdesk).IsActive()) {
        alarm(kAlarmWorkdeskNoPcb);
        return;
    }
    passStart_ = platform::Clock::performanceCounter();
    context_.window.send(MSG_STATE_TEXT, kStateInserting);

    for (;;) {
        if (context_.quitting()) return;
        // An emergency stop ends the pass between two steps: nothing moves
        // again after the axes were stopped.
        if (state.EmergencyStopActive.load()) return;
        if (runStep(state.InsertStep.load()) == Flow::EndPass) return;
    }
}

ProductionCycle::Flow ProductionCycle::runStep(int step) {
    MachineState& state = context_.state;
    const MachineParameters& p = machineParameters();
    switch (step) {
        case kStepNextRecord:
            return step0();
        case kStepRecordRead:
            state.InsertStep = kStepMoveToPoint;
            return Flow::Next;
        case kStepMoveToPoint:
            return step2();
        case kStepPushOut:
            return step3();
        case kStepSeatUp:
            EnsureOutput(output(kOutForfexSeat), true);
            if (oneStep()) {
                sleepMs(60);
            }
            return pauseIfOneStep(kStepCtaBack);
        case kStepCtaBack:
            EnsureOutput(output(kOutCta), false);
            if (!waitForInput(input(kInCtaOrigin), kCylinderLimit)) return alarm(kAlarmCtaReturn);
            return pauseIfOneStep(kStepPressDown);
        case kStepPressDown: {
            // A height of 0 counts as the full pressing height.
            const double pressing = std::fabs(p.heightP);
            const double height = record_.height == 0 ? pressing : std::fabs(record_.height);
            moveTo(kAxisP, std::min(height, pressing) + p.offsetD1D2P[2] + p.heightP);
            if (oneStep()) axis(kAxisP).WaitDone(kAxisWaitLimit);
            return pauseIfOneStep(kStepTurn);
        }
        case kStepTurn:
            moveTo(kAxisD1, record_.angle / 18.0 + p.offsetD1D2P[0]);
            axis(kAxisD1).WaitDone(kAxisWaitLimit);
            return pauseIfOneStep(kStepHeadDown);
        case kStepHeadDown:
            context_.settings.LeadLatchLeft = 0;
            context_.settings.LeadLatchRight = 0;
            if (record_.isComponent() && context_.settings.ChainState.load() == kChainRun &&
                !nextRequested_.load()) {
                // A tall component must leave the chain before it moves again.
                if (record_.height >= kTallComponentHeight) {
                    context_.chainRequestDeferred = 1;
                } else {
                    state.ChainRequest = 1;
                }
                nextRequested_ = true;
            }
            moveTo(kAxisH, p.heightH1);
            if (oneStep()) axis(kAxisH).WaitDone(kAxisWaitLimit);
            return pauseIfOneStep(kStepHeadInsert);
        case kStepHeadInsert:
            moveTo(kAxisH, p.heightH2);
            axis(kAxisH).WaitDone(kAxisWaitLimit);
            axis(kAxisP).WaitDone(kAxisWaitLimit);
            sleepMs(p.hDownDelayMs);
            return pauseIfOneStep(kStepPressUp);
        case kStepPressUp:
            moveTo(kAxisP, p.heightP);
            axis(kAxisP).WaitDone(kAxisWaitLimit);
            return pauseIfOneStep(kStepCut);
        case kStepCut: {
            latchLeads();
            EnsureOutput(output(kOutForfex), true);
            const bool cut = waitForInput(input(kInForfexSeatTarget), kCylinderLimit, true, [this] {
                latchLeads();
                return false;
            });
            if (!cut) return alarm(kAlarmShear);
            componentInHead_ = false;
            return pauseIfOneStep(kStepHeadUp);
        }
        case kStepHeadUp: {
            latchLeads();
            moveTo(kAxisH, 0.0);
            const int64_t start = platform::Clock::performanceCounter();
            while (axis(kAxisH).MotionState() == 0 && platform::secondsSince(start) < kHeadRiseWatch) {
                latchLeads();
                sleepMs(1);
            }
            axis(kAxisH).WaitDone(kHeadUpLimit);
            return pauseIfOneStep(kStepSeatDown);
        }
        case kStepSeatDown: {
            const bool judged = record_.command == StepCommand::Check &&
                                context_.settings.PlugInCheck.load() == kCheck;
            const bool bothLeads = context_.settings.LeadLatchLeft.load() != 0 &&
                                   context_.settings.LeadLatchRight.load() != 0;
            if (!judged || bothLeads) {
                output(kOutForfexSeat).Off();
            }
            if (!oneStep()) output(kOutForfex).Off();
            moveTo(kAxisP, p.offsetD1D2P[2]);
            axis(kAxisP).WaitDone(kPressRestLimit);
            return pauseIfOneStep(kStepTurnBack);
        }
        case kStepTurnBack:
            moveTo(kAxisD1, p.offsetD1D2P[0]);
            EnsureOutput(output(kOutForfex), false);
            context_.counters.countAttempt(record_.station, record_.footprint);
            axis(kAxisD1).WaitDone(kAxisWaitLimit);
            leadSeenLeft_ = context_.settings.LeadLatchLeft.load() != 0;
            leadSeenRight_ = context_.settings.LeadLatchRight.load() != 0;
            context_.settings.LeadLatchLeft = 0;
            context_.settings.LeadLatchRight = 0;
            context_.counters.countInserted();
            context_.statistics.CountInsert();
            return pauseIfOneStep(kStepJudge);
        case kStepJudge:
            return judge();
        case kStepRecordDone:
            EnsureOutput(output(kOutForfexSeat), false);
            sleepMs(5);
            context_.window.send(MSG_BOARD_PROGRESS, static_cast<uintptr_t>(context_.counters.inserted()),
                                 static_cast<intptr_t>(platform::secondsSince(passStart_) * 1000.0));
            state.InsertStep = kStepNextRecord;
            if (context_.settings.ProductionMode.load() != kModeCircle) state.StopRequest = 1;
            return Flow::EndPass;
        default:
            // No such step (the camera re-feed is not fitted): start over at
            // the top of the step machine.
            state.InsertStep = kStepNextRecord;
            return Flow::EndPass;
    }
}

void ProductionCycle::finishBoard() {
    MachineState& state = context_.state;
    context_.statistics.CountBoard();
    state.WorkdeskPhase = kPhaseUnload;
    state.BoardsProduced += 1;
    state.InsertStep = kStepNextRecord;
    markOffset_ = {0, 0};
    moveTo(kAxisD2, 0.0);
    axis(kAxisD2).WaitDone(kTurnBackLimit);
    sleepMs(context_.settings.PlugInMode.load() == kPlugInInversions ? 200 : 100);
}

ProductionCycle::Flow ProductionCycle::step0() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    if (state.BoardsProduced.load() >= settings.PlannedBoards.load()) {
        state.InsertStep = kStepNextRecord;
        markOffset_ = {0, 0};
        state.WorkdeskPhase = kPhaseUnload;
        sleepMs(200);
        moveTo(kAxisD2, 0.0);
        return Flow::EndPass;
    }
    const int count = context_.program.count();
    int record = state.CurrentRecord.load();
    if (settings.PlugInMode.load() == kPlugInInversions) {
        // Before the first record of a board the walk starts at the last one.
        if (record == 0) record = count + 1;
        record -= 1;
        if (record < 1) {
            state.CurrentRecord = count + 1;
            finishBoard();
            return Flow::EndPass;
        }
    } else {
        // Left past the end by a walk in reverse: a fresh board.
        if (record > count) record = 0;
        record += 1;
        if (record > count) {
            state.CurrentRecord = 0;
            finishBoard();
            return Flow::EndPass;
        }
    }
    state.CurrentRecord = record;
    record_ = context_.program.record(record);
    componentInHead_ = false;
    nextRequested_ = false;
    output(kOutHeadPositionIndicator).Off();
    context_.window.send(MSG_SHOW_RECORD);
    output(kOutPaperCuttingFrontCylinder).Off();
    // A component record without a station takes nothing from the chain;
    // it is passed over like a "break", so the chain stays in step.
    const bool skip = record_.command == StepCommand::Break ||
                      record_.command == StepCommand::Unknown ||
                      (record_.isComponent() && record_.station < 1);
    if (skip) {
        state.InsertStep = kStepNextRecord;
        return Flow::EndPass;
    }
    state.InsertStep = kStepRecordRead;
    return Flow::Next;
}

ProductionCycle::Flow ProductionCycle::step2() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    switch (record_.command) {
        case StepCommand::Stop:
            return endOfRecordStep(kStopSeatOriginLimit, true);
        case StepCommand::Continue:
            return endOfRecordStep(kSeatOriginLimit, false);
        case StepCommand::Mark:
            return markStep();
        default:
            break;
    }
    output(kOutCameraLight).Off();
    if (!forfexSeatHome(kSeatOriginLimit)) return alarm(kAlarmForfexSeatDown);
    const int mode = settings.PlugInMode.load();
    if (mode == kPlugInNormal && settings.ChainState.load() == kChainRun &&
        context_.chainRequestDeferred.load()) {
        state.ChainRequest = 1;
        context_.chainRequestDeferred = 0;
    }
    double x = 0, y = 0;
    insertionPoint(x, y);
    MotionAxis& xAxis = axis(kAxisX);
    const double factor = state.SpeedFactor.load();
    MoveLine(xAxis, x, axis(kAxisY), y, true, xAxis.startSpeed() * factor, xAxis.maxSpeed() * factor);
    auto progress = [&] {
        context_.window.send(MSG_BOARD_PROGRESS, static_cast<uintptr_t>(context_.counters.inserted()),
                             static_cast<intptr_t>(platform::secondsSince(passStart_) * 1000.0));
    };
    if (oneStep()) {
        xAxis.WaitDone(kAxisWaitLimit);
        axis(kAxisY).WaitDone(kAxisWaitLimit);
        if (mode == kPlugInNormal) {
            state.InsertStep = kStepPushOut;
        } else {
            sleepMs(200);
            progress();
            state.InsertStep = kStepNextRecord;
        }
        state.StopRequest = 1;
        return Flow::EndPass;
    }
    if (mode == kPlugInNormal) {
        state.InsertStep = kStepPushOut;
        return Flow::Next;
    }
    // Sequence and Inversions only visit the record's position.
    xAxis.WaitDone(kAxisWaitLimit);
    axis(kAxisY).WaitDone(kAxisWaitLimit);
    sleepMs(200);
    progress();
    state.InsertStep = kStepNextRecord;
    if (settings.ProductionMode.load() != kModeCircle) state.StopRequest = 1;
    return Flow::EndPass;
}

ProductionCycle::Flow ProductionCycle::endOfRecordStep(double limit, bool isStop) {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    if (!forfexSeatHome(limit)) return alarm(kAlarmForfexSeatDown);
    double x = 0, y = 0;
    insertionPoint(x, y);
    MotionAxis& xAxis = axis(kAxisX);
    const double factor = state.SpeedFactor.load();
    MoveLine(xAxis, x, axis(kAxisY), y, true, xAxis.startSpeed() * factor, xAxis.maxSpeed() * factor);
    xAxis.WaitDone(kAxisWaitLimit);
    axis(kAxisY).WaitDone(kAxisWaitLimit);
    state.InsertStep = kStepNextRecord;
    if (!isStop) {
        return Flow::EndPass;
    }
    // In reverse the board ends at record 1, and step 0 counts it there.
    const bool lastRecord = state.CurrentRecord.load() == context_.program.count() &&
                            settings.PlugInMode.load() != kPlugInInversions;
    if (lastRecord && state.BoardsProduced.load() + 1 >= settings.PlannedBoards.load()) {
        context_.statistics.CountBoard();
        state.BoardsProduced += 1;
        context_.window.send(MSG_BOARD_PROGRESS, static_cast<uintptr_t>(context_.counters.inserted()),
                             static_cast<intptr_t>(platform::secondsSince(passStart_) * 1000.0));
        // The board is finished here: a planned count raised before the next
        // Start sends it on and starts a new one, instead of walking past its
        // end and counting it again.
        state.CurrentRecord = 0;
        state.WorkdeskPhase = kPhaseUnload;
        markOffset_ = {0, 0};
        moveTo(kAxisD2, 0.0);
    } else if (settings.LoadMode.load() == kNotLoad) {
        // The operator changes the board by hand and presses Start.
        state.StopRequest = 1;
    }
    return Flow::EndPass;
}

ProductionCycle::Flow ProductionCycle::markStep() {
    MachineState& state = context_.state;
    if (!forfexSeatHome(kSeatOriginLimit)) return alarm(kAlarmForfexSeatDown);
    state.InsertStep = kStepNextRecord;
    if (context_.settings.MarkCheck.load() != kCheck) {
        return Flow::EndPass;
    }
    std::optional<std::array<double, 2>> found;
    if (context_.locateMark) {
        found = context_.locateMark(record_);
    }
    output(kOutCameraLight).Off();
    if (!found) {
        state.CurrentRecord -= 1;  // Start repeats this mark
        return alarm(kAlarmMarkNotFound);
    }
    markOffset_ = {(*found)[0] - record_.x, (*found)[1] - record_.y};
    return Flow::EndPass;
}

ProductionCycle::Flow ProductionCycle::step3() {
    MachineState& state = context_.state;
    const MachineParameters& p = machineParameters();
    ChainFeed* chain = context_.chain;
    auto priming = [&] {
        return chain != nullptr && chain->pitchCounter() < chain->effectiveCtaCount();
    };
    if (componentInHead_.load()) {
        // Done again after an interruption: the component is in the head
        // already, and the chain may be bringing the next one.
        moveTo(kAxisD2, record_.angle / 18.0 + p.offsetD1D2P[1]);
        axis(kAxisX).WaitDone(kAxisWaitLimit);
        axis(kAxisY).WaitDone(kAxisWaitLimit);
        axis(kAxisD2).WaitDone(kAxisWaitLimit);
        return pauseIfOneStep(kStepSeatUp);
    }
    while (state.ChainRequest.load() == 1) {
        if (context_.quitting()) return Flow::EndPass;
        if (state.EmergencyStopActive.load()) {
            // The board stays on the workdesk and the record is done again
            // after the reset.
            return Flow::EndPass;
        }
        if (state.StopRequest.load() && priming() && axis(kAxisL).MotionState() != 0) {
            sleepMs(50);
            axis(kAxisL).WaitDone(kChainSettleLimit);
            sleepMs(100);
            if (priming()) {
                // Start redoes this record and asks for the chain again.
                state.ChainRequest = 0;
                context_.chainRequestDeferred = 1;
                state.InsertStep = kStepNextRecord;
                state.CurrentRecord -= 1;
                return Flow::EndPass;
            }
        }
        if (state.StopRequest.load() && !priming()) {
            // The chain feed pauses too (a station alarm, a stop): this step
            // waits for it paused, so the machine is at rest for a reset and
            // Start comes back here.
            return Flow::EndPass;
        }
        sleepMs(2);
    }
    moveTo(kAxisD2, record_.angle / 18.0 + p.offsetD1D2P[1]);
    EnsureOutput(output(kOutCta), true);
    axis(kAxisX).WaitDone(kAxisWaitLimit);
    axis(kAxisY).WaitDone(kAxisWaitLimit);
    axis(kAxisD2).WaitDone(kAxisWaitLimit);
    if (!waitForInput(input(kInCtaTarget), kCylinderLimit)) return alarm(kAlarmCtaPutOut);
    componentInHead_ = true;
    return pauseIfOneStep(kStepSeatUp);
}

int ProductionCycle::resumeStep(int interrupted) const {
    if (interrupted <= kStepNextRecord || interrupted > kStepRecordDone) return kStepNextRecord;
    // Before the cut the component has not left the CTA or the head.
    if (interrupted < kStepHeadUp) return kStepMoveToPoint;
    return interrupted;
}

void ProductionCycle::newRun() {
    componentInHead_ = false;
    nextRequested_ = false;
    markOffset_ = {0, 0};
}

ProductionCycle::Flow ProductionCycle::judge() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    const bool judged = record_.command == StepCommand::Check && settings.PlugInCheck.load() == kCheck;
    if (!judged || (leadSeenLeft_ && leadSeenRight_)) {
        context_.statistics.CountSuccess();
        context_.counters.countSuccess(record_.station, record_.footprint);
        state.InsertStep = kStepRecordDone;
        return Flow::Next;
    }
    const bool refeed = machineParameters().autoFeedOnFailure == 1;
    // The alarms reach the window before anything pauses; the re-feed goes on
    // without stopping.
    if (!leadSeenLeft_) {
        refeed ? context_.reportAlarm(kAlarmPlugInFailureLeft) : context_.raiseAlarm(kAlarmPlugInFailureLeft);
    }
    if (!leadSeenRight_) {
        refeed ? context_.reportAlarm(kAlarmPlugInFailureRight) : context_.raiseAlarm(kAlarmPlugInFailureRight);
    }
    context_.statistics.CountFailure();
    context_.counters.countFailure(record_.station, record_.footprint);
    output(kOutHeadPositionIndicator).On();
    if (refeed) {
        state.InsertStep = kStepRefeedFirst;
        EnsureOutput(output(kOutForfexSeat), false);
        return Flow::EndPass;
    }
    state.StopRequest = 1;
    state.InsertStep = kStepRecordDone;
    leadSeenLeft_ = true;
    leadSeenRight_ = true;
    return Flow::EndPass;
}

}  // namespace corvane
