// Chain feed plan and the chain feed thread.
#include "production/chain_feed.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "platform/worker.h"
#include "production/alarm_texts.h"
#include "production/machine_waits.h"

namespace corvane {

FeedPlan buildFeedPlan(const std::vector<int>& stations, int firstStationToCta,
                       int firstStationToCutPaper) {
    FeedPlan plan;
    const int n = static_cast<int>(stations.size());
    plan.boardLength = n;
    if (n == 0) {
        plan.effectiveCtaCount = firstStationToCta;
        plan.effectiveCutCount = firstStationToCutPaper;
        return plan;
    }
    // Stations lie two pitches apart and consecutive components one pitch
    // apart: a component from a station further from the CTA drops earlier.
    const int s0 = stations[0];
    std::vector<int> dropTime(static_cast<size_t>(n));
    int m = 0;
    int kmin = 0;
    for (int k = 0; k < n; ++k) {
        dropTime[static_cast<size_t>(k)] = 2 * (s0 - stations[static_cast<size_t>(k)]) + k;
        if (dropTime[static_cast<size_t>(k)] < m) {
            m = dropTime[static_cast<size_t>(k)];
            kmin = k;
        }
    }
    for (int k = 0; k < n; ++k) {
        plan.drops.emplace_back(dropTime[static_cast<size_t>(k)] - m,
                                stations[static_cast<size_t>(k)]);
    }
    std::stable_sort(plan.drops.begin(), plan.drops.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    plan.overlappingBoards = (plan.drops.back().first - plan.drops.front().first) / n + 1;
    const int sMin = stations[static_cast<size_t>(kmin)];
    plan.effectiveCtaCount = firstStationToCta - kmin + 2 * sMin - 2;
    plan.effectiveCutCount = firstStationToCutPaper - kmin + 2 * sMin - 2;
    return plan;
}

std::vector<int> componentStations(const std::vector<ProductionRecord>& records) {
    std::vector<int> stations;
    for (const auto& r : records) {
        if (r.isComponent() && r.station >= 1) {
            stations.push_back(r.station);
        }
    }
    return stations;
}

void ChainFeed::rebuildPlan() {
    const MachineParameters& parameters = machineParameters();
    FeedPlan plan = buildFeedPlan(componentStations(context_.program.all()),
                                  parameters.firstStationToCta, parameters.firstStationToCutPaper);
    {
        std::lock_guard lock(mutex_);
        plan_ = std::move(plan);
        schedule_.clear();
        arrivals_.clear();
        boardsScheduled_ = 0;
        totalScheduled_ = 0;
        nextBoardBase_ = 0;
        pending_.clear();
        pendingPosition_ = -1;
        effectiveCtaCount_ = plan_.effectiveCtaCount;
    }
    context_.state.ChainFeedState = kChainClear;
    context_.state.RunFinished = 1;
    context_.settings.NeedsReset = 1;
}

FeedPlan ChainFeed::plan() const {
    std::lock_guard lock(mutex_);
    return plan_;
}

std::vector<int> ChainFeed::arrivals() const {
    std::lock_guard lock(mutex_);
    return {arrivals_.begin(), arrivals_.end()};
}

bool ChainFeed::stepMode() const {
    return context_.settings.ProductionMode.load() != kModeCircle;
}

void ChainFeed::extendSchedule() {
    std::lock_guard lock(mutex_);
    const int n = plan_.boardLength;
    if (n == 0) {
        return;
    }
    // Every board whose first drop the chain has reached is in the schedule;
    // boards that overlap on the chain interleave by position.
    const int position = pitchCounter_.load();
    const int planned = std::max(1, context_.settings.PlannedBoards.load());
    std::multimap<int, int> merged;
    for (const auto& entry : schedule_)
        merged.insert(entry);
    while (boardsScheduled_ < planned && nextBoardBase_ <= position) {
        // Drops already made at this position, or positions passed, cannot be
        // made any more: a board that comes late is laid out from the next
        // position, whole and in program order.
        const bool dropsTaken = pendingPosition_ == position;
        int base = nextBoardBase_;
        if (base < position || (base == position && dropsTaken))
            base = position + 1;
        for (const auto& [time, station] : plan_.drops) {
            merged.emplace(base + time, station);
        }
        // Component k of a board reaches the CTA k pitches after the first.
        for (int k = 0; k < n; ++k) {
            arrivals_.push_back(base + plan_.effectiveCtaCount + k);
        }
        ++boardsScheduled_;
        totalScheduled_ += n;
        nextBoardBase_ = base + n;
    }
    schedule_.assign(merged.begin(), merged.end());
}

void ChainFeed::pulsePaperCut() {
    // The cut behind every pitch of the feed has its own fixed rhythm; the
    // distribution head interval is for the chain clearing and the re-feed.
    output(kOutPaperCut).On();
    sleepMs(kPaperCutPulseMs);
    output(kOutPaperCut).Off();
    sleepMs(kPaperCutPulseMs);
}

bool ChainFeed::movePitch() {
    if (!input(kInFeederReturnDetection).IsActive()) {
        context_.raiseAlarm(kAlarmDistributorNotAtOrigin);
        return false;
    }
    MotionAxis& l = axis(kAxisL);
    const double factor = context_.state.SpeedFactor.load();
    l.MoveBy(kChainPitch, l.startSpeed() * factor, l.maxSpeed() * factor);
    l.WaitDone(60.0);
    syncPitchCounter();
    return true;
}

void ChainFeed::syncPitchCounter() {
    // The chain stands where L stands: a pitch cut short by an emergency stop
    // and the reset's homing of L that follows are counted as they really
    // moved the chain.
    pitchCounter_ = static_cast<int>(std::lround(axis(kAxisL).Position() / kChainPitch));
}

bool ChainFeed::clearChain(bool& pause) {
    MotionAxis& l = axis(kAxisL);
    pitchCounter_ = 0;
    const double factor = context_.state.SpeedFactor.load();
    while (l.Position() < kChainClearPitches * kChainPitch - 1e-6) {
        if (context_.quitting())
            return false;
        if (!input(kInFeederReturnDetection).IsActive()) {
            context_.raiseAlarm(kAlarmDistributorNotAtOrigin);
            pause = true;
            return false;
        }
        l.MoveBy(kChainPitch, l.startSpeed() * factor, l.maxSpeed() * factor);
        l.WaitDone(60.0);
        sleepMs(20);
        output(kOutPaperCut).On();
        sleepMs(machineParameters().distributionIntervalMs);
        output(kOutPaperCut).Off();
        sleepMs(100);
        if (stepMode() || context_.stopping()) {
            pause = true;
            return false;
        }
    }
    l.StopNow();
    sleepMs(3);
    l.SetPosition(0.0);
    pitchCounter_ = 0;
    delivered_ = 0;
    {
        std::lock_guard lock(mutex_);
        schedule_.clear();
        arrivals_.clear();
        boardsScheduled_ = 0;
        totalScheduled_ = 0;
        nextBoardBase_ = 0;
        pending_.clear();
        pendingPosition_ = -1;
    }
    context_.state.ChainFeedState = kChainExtend;
    context_.state.RunFinished = 0;
    return true;
}

bool ChainFeed::dropDue(bool& pause) {
    const int position = pitchCounter_.load();
    std::vector<int> due;
    {
        std::lock_guard lock(mutex_);
        if (pendingPosition_ != position) {
            pending_.clear();
            while (!schedule_.empty() && schedule_.front().first <= position) {
                const int station = schedule_.front().second;
                if (std::find(pending_.begin(), pending_.end(), station) == pending_.end()) {
                    pending_.push_back(station);
                }
                schedule_.pop_front();
            }
            pendingPosition_ = position;
        }
        due = pending_;
    }
    if (due.empty()) {
        return true;
    }
    context_.state.ChainFeedState = kChainDrop;
    if (context_.settings.StationCheck.load() != kUncheck) {
        std::vector<int> bad;
        for (int attempt = 0; attempt < 3; ++attempt) {
            bad.clear();
            for (int s : due)
                stationOutput(s).On();
            for (int s : due) {
                if (!stationInput(s).IsActive())
                    bad.push_back(s);
            }
            if (bad.empty())
                break;
            for (int s : due)
                stationOutput(s).Off();
            sleepMs(100);
        }
        context_.state.setBadStations(bad);
        if (!bad.empty()) {
            // The drop is repeated after the operator refilled the station.
            context_.raiseAlarm(kAlarmStationError);
            pause = true;
            return false;
        }
    }
    for (int s : due)
        stationOutput(s).On();
    sleepMs(100);
    for (int s : due)
        stationOutput(s).Off();
    sleepMs(100);
    {
        std::lock_guard lock(mutex_);
        pending_.clear();
    }
    context_.state.ChainFeedState = kChainAdvance;
    if (stepMode() || context_.state.StopRequest.load()) {
        pause = true;
    }
    return true;
}

void ChainFeed::deliver() {
    {
        std::lock_guard lock(mutex_);
        if (!arrivals_.empty())
            arrivals_.pop_front();
    }
    ++delivered_;
    context_.state.ChainRequest = 0;
}

void ChainFeed::pausePath(platform::Worker& self) {
    // A pause of the chain stops the whole machine. The flag goes up first,
    // so a Start that comes in between resumes this thread rather than
    // leaving it asleep under a running machine.
    self.beginPause();
    context_.state.StopRequest = 1;
    self.suspendSelf();
}

int ChainFeed::run(platform::Worker& self) {
    MachineState& state = context_.state;
    while (!context_.quitting()) {
        // Wait for the production cycle to ask for the next component. A
        // stopped machine finds this thread paused here too, so that nothing
        // of the machine is at work when it is reset.
        bool pause = false;
        bool idlePause = false;
        while (state.ChainRequest.load() == 0 && !context_.quitting()) {
            if (state.EmergencyStopActive.load()) {
                pause = true;
                break;
            }
            if (state.StopRequest.load()) {
                idlePause = true;
                break;
            }
            sleepMs(1);
        }
        if (context_.quitting())
            break;
        if (pause) {
            pausePath(self);
            continue;
        }
        if (idlePause) {
            self.suspendSelf([this] { return context_.stopping(); });
            continue;
        }
        if (state.ChainFeedState.load() != kChainClear) {
            syncPitchCounter();
        }

        switch (state.ChainFeedState.load()) {
            case kChainClear:
                clearChain(pause);
                break;
            case kChainExtend:
            case kChainExtendNext:
                extendSchedule();
                state.ChainFeedState = kChainAdvance;
                break;
            default: {
                extendSchedule();
                if (!dropDue(pause) || pause)
                    break;
                std::optional<int> target;
                bool nothingScheduled = false;
                {
                    std::lock_guard lock(mutex_);
                    if (!arrivals_.empty())
                        target = arrivals_.front();
                    nothingScheduled = arrivals_.empty() && schedule_.empty();
                }
                if (target && pitchCounter_.load() >= *target) {
                    deliver();
                    break;
                }
                if (nothingScheduled) {
                    // Every component of the planned boards has reached the
                    // CTA: the chain stands until a board is added, paused
                    // like an idle chain when the machine stops.
                    state.ChainFeedState = kChainFinished;
                    if (state.StopRequest.load()) {
                        self.suspendSelf([this] { return context_.stopping(); });
                    } else {
                        sleepMs(1);
                    }
                    break;
                }
                if (!movePitch()) {
                    pause = true;
                    break;
                }
                pulsePaperCut();
                if (target && pitchCounter_.load() >= *target)
                    deliver();
                {
                    std::lock_guard lock(mutex_);
                    const int planned = std::max(1, context_.settings.PlannedBoards.load());
                    if (schedule_.empty() && boardsScheduled_ >= planned) {
                        state.ChainFeedState = arrivals_.empty() ? kChainFinished : kChainRunOut;
                    } else {
                        state.ChainFeedState = kChainAdvance;
                    }
                }
                if (stepMode() || context_.stopping())
                    pause = true;
                break;
            }
        }
        if (pause)
            pausePath(self);
    }
    return 0;
}

}  // namespace corvane
