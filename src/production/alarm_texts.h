// The alarm and machine state texts of the status line, in both languages.
#pragma once

#include <string>

namespace corvane {

inline constexpr int kAlarmCount = 26;
inline constexpr int kStateCount = 7;

// Alarm codes the production side raises.
enum AlarmCodeValue : int {
    kAlarmProductionComplete = 0,
    kAlarmHAxis = 1,
    kAlarmPAxis = 2,
    kAlarmForfexSeatDown = 3,
    kAlarmShear = 4,
    kAlarmStationError = 5,
    kAlarmPaperCut = 6,
    kAlarmMarkNotFound = 7,
    kAlarmPlugInPositionNotFound = 8,
    kAlarmCtaPutOut = 9,
    kAlarmCtaReturn = 10,
    kAlarmLoadLiftHome = 11,
    kAlarmUnloadLiftHome = 12,
    kAlarmLoadLiftDown = 13,
    kAlarmUnloadLiftDown = 14,
    kAlarmWorkdeskLoad = 15,
    kAlarmPcbFix = 16,
    kAlarmWorkdeskUnload = 17,
    kAlarmWorkdeskNoPcb = 18,
    kAlarmDistributorNotAtOrigin = 19,
    kAlarmRightDistributorSignal = 20,
    kAlarmBothDistributorsSignal = 21,
    kAlarmPlugInFailureLeft = 22,
    kAlarmPlugInFailureRight = 23,
    kAlarmSafeDoor = 24,
    kAlarmTwoPcbs = 25,
};

// Machine state codes of the transport steps.
enum StateCodeValue : int {
    kStateLoadLiftAsking = 0,
    kStateUnloadLiftWaiting = 1,
    kStateUnloadLiftFeeding = 2,
    kStateWorkdeskLoading = 3,
    kStateWorkdeskFeeding = 4,
    kStateInserting = 5,
    kStateIdle = 6,
};

// Text of an alarm or state code in a language (1 English, 0 Chinese); empty
// for a code out of range.
std::string alarmText(int code, int language);
std::string stateText(int code, int language);

}  // namespace corvane
