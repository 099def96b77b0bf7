// Production, the alarm handling and the clock tick feed one record from
// their own threads at once.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "stats/production_statistics.h"

using namespace corvane;

TEST(StatisticsThreads, ConcurrentFeedsAreAllCounted) {
    ProductionStatistics s;
    constexpr int kPerThread = 20000;
    std::vector<std::thread> threads;
    threads.emplace_back([&] {
        for (int i = 0; i < kPerThread; ++i) {
            s.CountInsert();
            s.CountSuccess();
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kPerThread; ++i) {
            s.CountOtherAlarm();
            s.SetProductionState(i % 3 == 0 ? 5 : -1);
            s.MarkWaitingStart(WaitingKind::Shortage, i);
        }
    });
    threads.emplace_back([&] {
        for (int i = 0; i < kPerThread; ++i) {
            s.Tick(1, MachineActivity::Running);
            (void)s.Current();
        }
    });
    for (auto& t : threads)
        t.join();
    const StatisticsRecord r = s.Current();
    EXPECT_EQ(r.inserts, kPerThread);
    EXPECT_EQ(r.successes, kPerThread);
    EXPECT_EQ(r.otherAlarms, kPerThread);
    EXPECT_EQ(r.bootUpTime, kPerThread);
}
