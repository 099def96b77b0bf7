// The chain feed: brings the components of the plug-in program, in program
// order, from the twelve stations along the chain to the CTA.
#pragma once

#include <atomic>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

#include "production/production_context.h"

namespace corvane::platform {
class Worker;
}

namespace corvane {

inline constexpr double kChainPitch = 12.5;    // mm of L travel
inline constexpr int kChainClearPitches = 108;  // pitches that flush the chain
inline constexpr double kPaperCutPulseMs = 100;  // on, then off, after a feed pitch

// Which station drops when, derived from the program.
struct FeedPlan {
    // (drop time in pitches from 0, station), ordered by time; equal times
    // keep program order.
    std::vector<std::pair<int, int>> drops;
    int boardLength = 0;        // component records per board
    int overlappingBoards = 0;  // boards that lie on the chain at once
    int effectiveCtaCount = 0;  // pitches until the first component stands at the CTA
    int effectiveCutCount = 0;
};

// The plan for the component stations s0, s1, ... in program order.
FeedPlan buildFeedPlan(const std::vector<int>& stations, int firstStationToCta,
                       int firstStationToCutPaper);

// The stations of the program's component records (check or uncheck, station
// 1 or more), in program order.
std::vector<int> componentStations(const std::vector<ProductionRecord>& records);

// ChainFeedState values.
enum ChainFeedStateValue : int {
    kChainClear = 0,
    kChainExtend = 1,
    kChainAdvance = 2,
    kChainDrop = 3,
    kChainExtendNext = 4,
    kChainRunOut = 5,
    kChainFinished = 6,
};

class ChainFeed {
public:
    explicit ChainFeed(ProductionContext& context) : context_(context) {}

    // Window thread: a new plan from the program; the schedule starts over.
    void rebuildPlan();
    FeedPlan plan() const;

    // Pitches moved since the chain was last cleared.
    int pitchCounter() const { return pitchCounter_.load(); }
    int effectiveCtaCount() const { return effectiveCtaCount_.load(); }
    // Components brought to the CTA since the chain was cleared.
    int delivered() const { return delivered_.load(); }
    // Chain positions at which the scheduled components still to come reach
    // the CTA, in program order.
    std::vector<int> arrivals() const;

    // ChainFeedWorker.
    int run(platform::Worker& self);

private:
    // Drops of boards up to the one the chain position has reached. A board
    // added after the chain passed its first drop (the planned count was
    // raised late) starts at the next position, and so do the boards after it.
    void extendSchedule();
    // The next component reached the CTA: the cycle may take it.
    void deliver();
    // Drops due at the current position; false after alarm 5.
    bool dropDue(bool& pause);
    // One pitch of the L axis with the paper cut; false on alarm 19.
    bool movePitch();
    void pulsePaperCut();
    void syncPitchCounter();
    bool clearChain(bool& pause);
    void pausePath(platform::Worker& self);
    bool stepMode() const;

    ProductionContext& context_;
    mutable std::mutex mutex_;  // the plan and the schedule
    FeedPlan plan_;
    std::deque<std::pair<int, int>> schedule_;  // (chain position, station)
    std::deque<int> arrivals_;                  // CTA positions of the components to come
    int boardsScheduled_ = 0;
    int totalScheduled_ = 0;
    int nextBoardBase_ = 0;  // chain position of the next board's first drop
    std::atomic<int> pitchCounter_{0};
    std::atomic<int> effectiveCtaCount_{0};
    std::atomic<int> delivered_{0};
    std::vector<int> pending_;  // stations due at the current position, not yet dropped
    int pendingPosition_ = -1;
};

}  // namespace corvane
