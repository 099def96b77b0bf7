// The shared machine state: the process-wide flags, counters and hand-shake
// words through which the window thread and the production workers cooperate.
//
// Every word is written by one thread and polled by others; each is an atomic
// read and written as a whole, which is all the cooperation relies on. The two
// values that are not single words (the bad-station list and the status text)
// are guarded by their own lock.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "machine/machine_stops.h"
#include "platform/language.h"

namespace corvane {

// Workdesk phases (`WorkdeskPhase`).
enum WorkdeskPhaseCode : int { kPhaseLoad = 0, kPhaseInsert = 1, kPhaseUnload = 2 };

// How the last run ended (`StopKind`).
enum StopKindCode : int { kRunning = 0, kStopped = 1, kEmergencyStopped = 2 };

struct MachineState {
    MachineState() = default;
    MachineState(const MachineState&) = delete;
    MachineState& operator=(const MachineState&) = delete;

    // Current alarm 0..25; -1 = none.
    std::atomic<int> AlarmCode{-1};
    // 1 makes the production workers pause at the end of their pass.
    std::atomic<int> StopRequest{1};
    // Shared with the machine layer, whose waits watch them too.
    std::atomic<int>& EmergencyStopActive = machineStops().EmergencyStopActive;
    // 1 at program exit: every worker loop ends when it sees it.
    std::atomic<int>& QuitRequest = machineStops().QuitRequest;
    std::atomic<int> WorkdeskPhase{kPhaseLoad};
    // Step of the insertion cycle to run next, 0..37; kept across a pause.
    std::atomic<int> InsertStep{0};
    // 1-based record being processed; 0 = before the first record.
    std::atomic<int> CurrentRecord{0};
    std::atomic<int> BoardsProduced{0};
    // Set by the production cycle, cleared by the load lift thread.
    std::atomic<int> LoadLiftRequest{0};
    // Written only by the unload lift thread.
    std::atomic<int> UnloadLiftBusy{0};
    // Set by the production cycle, cleared by the chain feed.
    std::atomic<int> ChainRequest{0};
    std::atomic<int> ChainFeedState{0};
    std::atomic<int> RunFinished{1};
    std::atomic<int> StopKind{kStopped};
    // Multiplier of every production speed; 0.9 once the main window is up.
    std::atomic<double> SpeedFactor{1.0};

    // Stations reported by the chain feed with alarm 5.
    std::vector<int> badStations() const;
    void setBadStations(std::vector<int> stations);
    void addBadStation(int station);
    void clearBadStations();

    // Ready-made status text for MSG_SHOW_TEXT.
    std::string showTextString() const;
    void setShowTextString(std::string text);

    // Back to the values at program start (tests and a fresh console).
    void resetToDefaults();

private:
    mutable std::mutex mutex_;
    std::vector<int> BadStations;
    std::string ShowTextString;
};

// The one machine state of the process.
MachineState& machineState();

}  // namespace corvane
