// Insertion counters of a run: per station, per footprint and in total.
#pragma once

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "machine/io_points.h"

namespace corvane {

struct InsertionCounts {
    int attempted = 0;
    int succeeded = 0;
    int failed = 0;

    bool operator==(const InsertionCounts&) const = default;
};

class ProductionCounters {
public:
    void countAttempt(int station, const std::string& footprint);
    void countSuccess(int station, const std::string& footprint);
    void countFailure(int station, const std::string& footprint);
    void countInserted() { ++inserted_; }

    // Station 1..12; other stations are not counted.
    InsertionCounts station(int station) const;
    std::map<std::string, InsertionCounts> footprints() const;
    int inserted() const { return inserted_.load(); }
    int failures() const { return failures_.load(); }

    // A new run starts from zero.
    void clear();

private:
    template <typename Change>
    void change(int station, const std::string& footprint, Change apply);

    mutable std::mutex mutex_;
    std::array<InsertionCounts, kStationCount> stations_{};
    std::map<std::string, InsertionCounts> footprints_;
    std::atomic<int> inserted_{0};
    std::atomic<int> failures_{0};
};

}  // namespace corvane
