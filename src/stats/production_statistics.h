// Placeholder statistics record until the statistics subsystem lands.
#pragma once

#include <mutex>

namespace corvane {

class ProductionStatistics {
public:
    void CountBoard() { add(boardsProduced_); }
    void CountInsert() { add(inserts_); }
    void CountSuccess() { add(successes_); }
    void CountFailure() { add(failures_); }
    void CountPassboardAlarm() { add(passboardAlarms_); }
    void CountShortageAlarm() { add(shortageAlarms_); }
    void CountOtherAlarm() { add(otherAlarms_); }
    void AddBootUpTime(double) {}
    void AddProductionTime(double) {}
    void AddPassboardWaiting(double) {}
    void AddShortageWaiting(double) {}
    void AddErrorInsertionWaiting(double) {}
    void AddOtherErrorWaiting(double) {}
    void AddStandbyTime(double) {}
    void SetPlan(int, double) {}
    void SaveAndClose() {}
    int boardsProduced() const { return get(boardsProduced_); }
    int inserts() const { return get(inserts_); }
    int successes() const { return get(successes_); }
    int failures() const { return get(failures_); }

private:
    void add(int& v) {
        std::lock_guard lock(mutex_);
        ++v;
    }
    int get(const int& v) const {
        std::lock_guard lock(mutex_);
        return v;
    }
    mutable std::mutex mutex_;
    int boardsProduced_ = 0, inserts_ = 0, successes_ = 0, failures_ = 0;
    int passboardAlarms_ = 0, shortageAlarms_ = 0, otherAlarms_ = 0;
};

}  // namespace corvane
