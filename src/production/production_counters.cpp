// Per-station and per-footprint insertion counters.
#include "production/production_counters.h"

namespace corvane {

template <typename Change>
void ProductionCounters::change(int station, const std::string& footprint, Change apply) {
    std::lock_guard lock(mutex_);
    if (station >= 1 && station <= kStationCount) {
        apply(stations_[static_cast<size_t>(station - 1)]);
    }
    apply(footprints_[footprint]);
}

void ProductionCounters::countAttempt(int station, const std::string& footprint) {
    change(station, footprint, [](InsertionCounts& c) { ++c.attempted; });
}

void ProductionCounters::countSuccess(int station, const std::string& footprint) {
    change(station, footprint, [](InsertionCounts& c) { ++c.succeeded; });
}

void ProductionCounters::countFailure(int station, const std::string& footprint) {
    change(station, footprint, [](InsertionCounts& c) { ++c.failed; });
    ++failures_;
}

InsertionCounts ProductionCounters::station(int station) const {
    std::lock_guard lock(mutex_);
    if (station < 1 || station > kStationCount) return {};
    return stations_[static_cast<size_t>(station - 1)];
}

std::map<std::string, InsertionCounts> ProductionCounters::footprints() const {
    std::lock_guard lock(mutex_);
    return footprints_;
}

void ProductionCounters::clear() {
    std::lock_guard lock(mutex_);
    stations_ = {};
    footprints_.clear();
    inserted_ = 0;
    failures_ = 0;
}

}  // namespace corvane
