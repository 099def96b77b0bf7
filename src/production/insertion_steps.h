// The steps of the insertion cycle (`InsertStep`): where a pass enters phase 1,
// kept across a pause so that Start goes on with the step the cycle stopped in.
#pragma once

namespace corvane {

enum InsertStepCode : int {
    kStepNextRecord = 0,    // board end test; the next record is read
    kStepRecordRead = 1,
    kStepMoveToPoint = 2,   // the record's command; a component: platform to its insertion point
    kStepPushOut = 3,       // the component at the CTA; D2 turned, CTA pushed out
    kStepSeatUp = 4,        // forfex seat up under the board
    kStepCtaBack = 5,       // CTA back to its origin
    kStepPressDown = 6,     // P to the component's height
    kStepTurn = 7,          // D1 to the record's angle
    kStepHeadDown = 8,      // lead latches cleared, next component asked for, H to height 1
    kStepHeadInsert = 9,    // H to height 2, the head's press delay
    kStepPressUp = 10,      // P back to its pressing height
    kStepCut = 11,          // the forfex cuts while the lead sensors are latched
    kStepHeadUp = 12,       // H back to 0
    kStepSeatDown = 13,     // forfex seat down (unless leads are missing), P to rest
    kStepTurnBack = 14,     // D1 back; the attempt and the insertion counted
    kStepJudge = 15,        // the lead sensors' verdict
    kStepRecordDone = 16,   // seat down, the board's progress, next record
    kStepRefeedFirst = 20,  // automatic re-feed after a failed insertion
    kStepRefeedLast = 37,
};

// Time limits of the insertion steps, in seconds.
inline constexpr double kAxisWaitLimit = 10.0;        // every axis wait without its own limit
inline constexpr double kSeatOriginLimit = 0.15;      // forfex seat back down
inline constexpr double kStopSeatOriginLimit = 0.55;  // ... before a "stop" record's move
inline constexpr double kCylinderLimit = 0.12;        // CTA, forfex, board fixing
inline constexpr double kLiftOriginLimit = 3.0;       // lifts down before inserting
inline constexpr double kHeadRiseWatch = 2.0;         // lead latching while H rises
inline constexpr double kHeadUpLimit = 20.0;
inline constexpr double kPressRestLimit = 5.0;
inline constexpr double kTurnBackLimit = 20.0;        // D2 back to 0 at the end of a board
inline constexpr double kChainSettleLimit = 5.0;      // L at rest before a stop gives up a record

// A component at least this tall (mm) leaves the chain before it moves again:
// its chain request waits for the next record.
inline constexpr double kTallComponentHeight = 10.0;

}  // namespace corvane
