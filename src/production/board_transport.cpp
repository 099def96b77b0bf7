// Board transport: lifts, workdesk belt and board fixing.
#include "production/board_transport.h"

#include <cmath>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/message_box.h"
#include "platform/worker.h"
#include "production/alarm_texts.h"
#include "production/machine_waits.h"
#include "stats/production_statistics.h"

namespace corvane {

namespace {

constexpr double kLiftOriginLimit = 3.0;
constexpr double kUnloadLiftOriginLimit = 5.0;
constexpr double kLiftTargetLimit = 3.0;
constexpr double kBeltLimit = 10.0;
constexpr double kForfexSeatOriginLimit = 2.0;
constexpr double kLoadLiftBeltOverrunMs = 35;
constexpr double kUnloadLiftBeltOverrunMs = 50;
constexpr uint32_t kUnloadDebounceMs = 50;

bool active(int in) { return input(in).IsActive(); }

}  // namespace

bool platformAtStopPosition() {
    const auto& stop = machineParameters().xyStopPosition;
    return std::fabs(axis(kAxisX).Position() - stop[0]) < 0.01 &&
           std::fabs(axis(kAxisY).Position() - stop[1]) < 0.01;
}

void movePlatformToStopPosition(double limitSeconds) {
    const auto& stop = machineParameters().xyStopPosition;
    MotionAxis& x = axis(kAxisX);
    const double factor = machineState().SpeedFactor.load();
    MoveLine(x, stop[0], axis(kAxisY), stop[1], true, x.startSpeed() * factor, x.maxSpeed() * factor);
    x.WaitDone(limitSeconds);
    axis(kAxisY).WaitDone(limitSeconds);
}

void checkPlatformLimits(MachineState& state) {
    if (axis(kAxisX).AtNegativeLimit() || axis(kAxisX).AtPositiveLimit()) {
        platform::messageBox(tr("The X shaft is at tht limit", "X轴碰到了极限位"));
        state.StopRequest = 1;
    }
    if (axis(kAxisY).AtNegativeLimit() || axis(kAxisY).AtPositiveLimit()) {
        platform::messageBox(tr("The Y shaft is at tht limit", "Y轴碰到了极限位"));
        state.StopRequest = 1;
    }
}

void BoardTransport::addPassboardTime() {
    if (passTiming_) {
        context_.statistics.AddPassboardWaiting(platform::secondsSince(passStart_));
        passStart_ = platform::Clock::performanceCounter();
    }
}

bool BoardTransport::parkPlatform() {
    output(kOutLoadLift).Off();
    output(kOutUnloadLift).Off();
    if (!waitForInput(input(kInLoadLiftOrigin), kLiftOriginLimit)) {
        context_.raiseAlarm(kAlarmLoadLiftHome);
        return false;
    }
    if (!waitForInput(input(kInUnloadLiftOrigin), kLiftOriginLimit)) {
        context_.raiseAlarm(kAlarmUnloadLiftHome);
        return false;
    }
    movePlatformToStopPosition(20.0);
    checkPlatformLimits(context_.state);
    sleepMs(200);
    return true;
}

PhaseEnd BoardTransport::loadPhase() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    if (settings.LoadMode.load() == kNotLoad) {
        return PhaseEnd::ContinueInsert;
    }
    passStart_ = platform::Clock::performanceCounter();
    passTiming_ = true;
    output(kOutForfexSeat).Off();
    if (!waitForInput(input(kInForfexSeatOrigin), kForfexSeatOriginLimit)) {
        context_.raiseAlarm(kAlarmForfexSeatDown);
        return PhaseEnd::EndPass;
    }
    state.WorkdeskPhase = kPhaseLoad;
    if (!active(kInLoadLiftCheckpoint2)) {
        state.LoadLiftRequest = 1;
    }
    output(kOutPcbFixing1).On();
    output(kOutPcbFixing2).Off();
    context_.window.send(MSG_STATE_TEXT, kStateWorkdeskLoading);

    if (!platformAtStopPosition() && !parkPlatform()) {
        return PhaseEnd::EndPass;
    }

    if (active(kInPcbArriveWorkdesk)) {
        if (boardLoaded_) {
            // The board this phase brought in before it was interrupted:
            // it is fixed and inserted, not sent on.
            return fixLoadedBoard();
        }
        // A finished board is still on the workdesk: it leaves before a new
        // one comes.
        unloadPhase();
        return PhaseEnd::EndPass;
    }

    while (!(active(kInLoadLiftCheckpoint2) && state.LoadLiftRequest.load() == 0)) {
        if (context_.quitting() || context_.stopping()) {
            return PhaseEnd::EndPass;
        }
        sleepMs(1);
    }

    output(kOutLoadLift).On();
    if (!waitForInput(input(kInLoadLiftTarget), kLiftTargetLimit)) {
        context_.raiseAlarm(kAlarmLoadLiftDown);
        return PhaseEnd::EndPass;
    }
    if (!active(kInLoadLiftCheckpoint2)) {
        return PhaseEnd::EndPass;
    }

    // From here on a board found on the workdesk is this one, even when it
    // arrives only after a time-out or an emergency stop: it is inserted, not
    // sent on as if it were finished.
    boardLoaded_ = true;
    output(kOutWorkdeskBelt).On();
    output(kOutLoadLiftBelt).On();
    const bool arrived = waitForInput(input(kInPcbArriveWorkdesk), kBeltLimit, true, [&] {
        return state.EmergencyStopActive.load() != 0 || context_.quitting();
    });
    if (!arrived) {
        output(kOutWorkdeskBelt).Off();
        output(kOutLoadLiftBelt).Off();
        // A time-out and an emergency stop alike: the machine stops first.
        if (!context_.quitting()) context_.raiseAlarm(kAlarmWorkdeskLoad);
        return PhaseEnd::EndPass;
    }
    sleepMs(machineParameters().workdeskPcbDelayMs);
    output(kOutWorkdeskBelt).Off();
    output(kOutLoadLiftBelt).Off();
    return fixLoadedBoard();
}

PhaseEnd BoardTransport::fixLoadedBoard() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;

    // The load lift fetches the next board while this one is inserted, unless
    // this is the last one.
    if (state.BoardsProduced.load() + 1 < settings.PlannedBoards.load()) {
        state.LoadLiftRequest = 1;
    }
    // Two boards on the load lift stop the machine; the board that reached
    // the workdesk is fixed first, so that Start goes on inserting it.
    const bool twoBoards = active(kInLoadLiftCheckpoint1) && active(kInLoadLiftCheckpoint2);
    if (twoBoards) {
        context_.raiseAlarm(kAlarmTwoPcbs);
    }
    sleepMs(2);
    if (settings.LoadMode.load() == kJustThroughPcb) {
        state.WorkdeskPhase = kPhaseUnload;
        return PhaseEnd::EndPass;
    }
    output(kOutPcbFixing1).Off();
    output(kOutPcbFixing2).Off();
    output(kOutLoadLift).Off();
    output(kOutUnloadLift).Off();
    state.WorkdeskPhase = kPhaseInsert;
    addPassboardTime();
    passTiming_ = false;
    return context_.stopping() ? PhaseEnd::EndPass : PhaseEnd::ContinueInsert;
}

PhaseEnd BoardTransport::unloadPhase() {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    const bool notLoad = settings.LoadMode.load() == kNotLoad;
    if (!passTiming_) {
        passStart_ = platform::Clock::performanceCounter();
        passTiming_ = true;
    }

    if (!notLoad) {
        output(kOutForfexSeat).Off();
        if (!waitForInput(input(kInForfexSeatOrigin), kForfexSeatOriginLimit)) {
            context_.raiseAlarm(kAlarmForfexSeatDown);
            return PhaseEnd::EndPass;
        }
        state.WorkdeskPhase = kPhaseUnload;
        if (!platformAtStopPosition() && !parkPlatform()) {
            return PhaseEnd::EndPass;
        }

        // The unload lift must be empty and free.
        while (active(kInUnloadLiftCheckpoint1) || active(kInUnloadLiftCheckpoint2) ||
               state.UnloadLiftBusy.load() != 0) {
            if (context_.quitting() || context_.stopping()) {
                return PhaseEnd::EndPass;
            }
            sleepMs(1);
        }

        output(kOutUnloadLift).On();
        if (active(kInLoadLiftCheckpoint2)) {
            output(kOutLoadLift).On();  // the next board rises at the same time
        }
        sleepMs(30);
        if (!waitForInput(input(kInUnloadLiftTarget), kLiftTargetLimit)) {
            context_.raiseAlarm(kAlarmUnloadLiftDown);
            return PhaseEnd::EndPass;
        }

        if (active(kInPcbArriveWorkdesk)) {
            boardLoaded_ = false;
            output(kOutPcbFixing1).On();
            output(kOutPcbFixing2).On();
            sleepMs(100);
            context_.window.send(MSG_STATE_TEXT, kStateWorkdeskFeeding);
            output(kOutWorkdeskBelt).On();
            output(kOutUnloadLiftBelt).On();
            auto beltsOff = [] {
                output(kOutWorkdeskBelt).Off();
                output(kOutUnloadLiftBelt).Off();
            };
            bool emergency = false;
            const bool entered = waitForInput(input(kInUnloadLiftCheckpoint1), kBeltLimit, true, [&] {
                emergency = state.EmergencyStopActive.load() != 0 || context_.quitting();
                return emergency;
            });
            if (!entered) {
                beltsOff();
                if (!emergency) context_.raiseAlarm(kAlarmWorkdeskUnload);
                return PhaseEnd::EndPass;
            }
            // The board has left the workdesk once checkpoint 1 stayed clear
            // for more than 50 ms.
            const int64_t start = platform::Clock::performanceCounter();
            uint32_t clearSince = 0;
            bool clear = false;
            bool cleared = false;
            while (platform::secondsSince(start) < kBeltLimit) {
                if (state.EmergencyStopActive.load() || context_.quitting()) {
                    beltsOff();
                    return PhaseEnd::EndPass;
                }
                const uint32_t now = platform::Clock::tickCount();
                if (active(kInUnloadLiftCheckpoint1)) {
                    clear = false;
                } else if (!clear) {
                    clear = true;
                    clearSince = now;
                } else if (now - clearSince > kUnloadDebounceMs) {
                    cleared = true;
                    break;
                }
                sleepMs(1);
            }
            if (!cleared) {
                beltsOff();
                context_.raiseAlarm(kAlarmWorkdeskUnload);
                return PhaseEnd::EndPass;
            }
            output(kOutWorkdeskBelt).Off();
            state.WorkdeskPhase = kPhaseLoad;
            sleepMs(5);
            // The unload lift belt runs on until the lift thread stops it at
            // checkpoint 2.
            output(kOutUnloadLift).Off();
        }
    }

    state.WorkdeskPhase = kPhaseLoad;
    state.InsertStep = 0;
    if (notLoad) {
        movePlatformToStopPosition(20.0);
        checkPlatformLimits(state);
        sleepMs(200);
    }
    if (state.BoardsProduced.load() >= settings.PlannedBoards.load()) {
        context_.reportAlarm(kAlarmProductionComplete);
        output(kOutLoadLift).Off();
        output(kOutUnloadLift).Off();
        output(kOutPcbFixing1).Off();
        output(kOutPcbFixing2).Off();
        sleepMs(1000);
        state.StopRequest = 1;
    }
    addPassboardTime();
    passTiming_ = false;
    return PhaseEnd::EndPass;
}

int BoardTransport::runLoadLift(platform::Worker& self) {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    while (!context_.quitting()) {
        bool skip = active(kInLoadLiftCheckpoint2) || state.LoadLiftRequest.load() == 0 ||
                    settings.LoadMode.load() == kNotLoad;
        bool suspendNow = false;
        if (!skip) {
            bool posted = false;
            sleepMs(10);
            if (state.WorkdeskPhase.load() == kPhaseLoad) {
                context_.window.post(MSG_STATE_TEXT, kStateLoadLiftAsking);
                posted = true;
            }
            if (!active(kInLoadLiftOrigin)) {
                output(kOutLoadLift).Off();
                if (!waitForInput(input(kInLoadLiftOrigin), kLiftOriginLimit)) {
                    context_.raiseAlarm(kAlarmLoadLiftHome);
                    suspendNow = true;
                }
            }
            if (!suspendNow) {
                if (!active(kInLoadLiftCheckpoint1)) {
                    output(kOutAskForPcb).On();
                }
                // The previous machine pushes a board in; the belt carries it
                // to checkpoint 2.
                while (!active(kInLoadLiftCheckpoint2) && !context_.quitting()) {
                    const bool entering = active(kInLoadLiftCheckpoint1);
                    if (state.WorkdeskPhase.load() == kPhaseLoad && !entering &&
                        !output(kOutAskForPcb).IsOn()) {
                        context_.window.post(MSG_STATE_TEXT, kStateLoadLiftAsking);
                        posted = true;
                    }
                    if (entering) {
                        output(kOutAskForPcb).Off();
                        output(kOutLoadLiftBelt).On();
                    }
                    if (state.EmergencyStopActive.load()) {
                        output(kOutAskForPcb).Off();
                        output(kOutLoadLiftBelt).Off();
                        suspendNow = true;
                        break;
                    }
                    sleepMs(1);
                }
                if (!suspendNow && !context_.quitting()) {
                    sleepMs(kLoadLiftBeltOverrunMs);
                    output(kOutAskForPcb).Off();
                    output(kOutLoadLiftBelt).Off();
                    if (posted) {
                        context_.window.post(MSG_STATE_TEXT, kStateIdle);
                    }
                }
            }
        }
        if (!suspendNow) {
            if (active(kInLoadLiftCheckpoint2)) {
                state.LoadLiftRequest = 0;
            }
            sleepMs(5);
        }
        if (context_.quitting()) break;
        if (context_.stopping()) {
            if (state.EmergencyStopActive.load()) {
                settings.NeedsReset = 1;
            }
            self.suspendSelf([this] { return context_.stopping(); });
        }
    }
    return 0;
}

int BoardTransport::runUnloadLift(platform::Worker& self) {
    MachineState& state = context_.state;
    ProductionSettings& settings = context_.settings;
    OutputPoint& belt = output(kOutUnloadLiftBelt);
    while (!context_.quitting()) {
        [&] {
            const bool cp1 = active(kInUnloadLiftCheckpoint1);
            const bool cp2 = active(kInUnloadLiftCheckpoint2);
            if ((!cp1 && !cp2) || settings.LoadMode.load() == kNotLoad) {
                sleepMs(5);
                state.UnloadLiftBusy = 0;
                return;
            }
            if (cp1 && !cp2) {
                // A board is coming in: keep the belt running until it rests.
                belt.On();
                bool passedCheckpoint1 = false;
                while (!context_.quitting()) {
                    if (!passedCheckpoint1 && !active(kInUnloadLiftCheckpoint1)) {
                        passedCheckpoint1 = true;
                    }
                    if (passedCheckpoint1 && active(kInUnloadLiftCheckpoint2)) break;
                    if (!belt.IsOn()) belt.On();
                    if (state.EmergencyStopActive.load()) {
                        belt.Off();
                        return;
                    }
                    sleepMs(1);
                }
            }
            if (active(kInUnloadLiftCheckpoint2)) {
                belt.Off();
            }
            if (!active(kInNextSectionNeeds)) {
                if (state.WorkdeskPhase.load() == kPhaseUnload) {
                    context_.window.post(MSG_STATE_TEXT, kStateUnloadLiftWaiting);
                }
                sleepMs(2);
                return;
            }
            state.UnloadLiftBusy = 1;
            if (state.WorkdeskPhase.load() == kPhaseUnload) {
                context_.window.send(MSG_STATE_TEXT, kStateUnloadLiftFeeding);
            }
            if (!active(kInUnloadLiftOrigin)) {
                output(kOutUnloadLift).Off();
                const bool home = waitForInput(input(kInUnloadLiftOrigin), kUnloadLiftOriginLimit,
                                               true, [&] {
                                                   if (active(kInUnloadLiftCheckpoint2) && belt.IsOn()) {
                                                       belt.Off();
                                                   }
                                                   return context_.quitting();
                                               });
                if (!home) {
                    if (!context_.quitting()) context_.raiseAlarm(kAlarmUnloadLiftHome);
                    return;
                }
                sleepMs(100);
            }
            if (active(kInUnloadLiftCheckpoint2)) {
                belt.On();
                while (active(kInUnloadLiftCheckpoint2) && !context_.quitting()) {
                    if (state.EmergencyStopActive.load()) {
                        belt.Off();
                        return;
                    }
                    sleepMs(1);
                }
                sleepMs(kUnloadLiftBeltOverrunMs);
                belt.Off();
            }
            context_.window.post(MSG_STATE_TEXT, kStateIdle);
            sleepMs(5);
            state.UnloadLiftBusy = 0;
        }();
        if (context_.quitting()) break;
        if (state.EmergencyStopActive.load()) {
            state.UnloadLiftBusy = 0;
            settings.NeedsReset = 1;
            self.suspendSelf([&state] { return state.EmergencyStopActive.load() != 0; });
        }
    }
    return 0;
}

}  // namespace corvane
