// The process-wide machine state.
#include "production/machine_state.h"

namespace corvane {

MachineState& machineState() {
    static MachineState state;
    return state;
}

std::vector<int> MachineState::badStations() const {
    std::lock_guard lock(mutex_);
    return BadStations;
}

void MachineState::setBadStations(std::vector<int> stations) {
    std::lock_guard lock(mutex_);
    BadStations = std::move(stations);
}

void MachineState::addBadStation(int station) {
    std::lock_guard lock(mutex_);
    BadStations.push_back(station);
}

void MachineState::clearBadStations() {
    std::lock_guard lock(mutex_);
    BadStations.clear();
}

std::string MachineState::showTextString() const {
    std::lock_guard lock(mutex_);
    return ShowTextString;
}

void MachineState::setShowTextString(std::string text) {
    std::lock_guard lock(mutex_);
    ShowTextString = std::move(text);
}

void MachineState::resetToDefaults() {
    Language = kEnglish;
    AlarmCode = -1;
    StopRequest = 1;
    EmergencyStopActive = 0;
    QuitRequest = 0;
    WorkdeskPhase = kPhaseLoad;
    InsertStep = 0;
    CurrentRecord = 0;
    BoardsProduced = 0;
    LoadLiftRequest = 0;
    UnloadLiftBusy = 0;
    ChainRequest = 0;
    ChainFeedState = 0;
    RunFinished = 1;
    StopKind = kStopped;
    SpeedFactor = 1.0;
    std::lock_guard lock(mutex_);
    BadStations.clear();
    ShowTextString.clear();
}

}  // namespace corvane
