// The chain feed plan: drop times, board overlap and the effective counts.
#include "production/chain_feed.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace corvane;

TEST(FeedPlan, StationsFurtherAwayDropEarlier) {
    // Stations 1, 12, 5, 3, 9, 12 in program order.
    const FeedPlan plan = buildFeedPlan({1, 12, 5, 3, 9, 12}, 27, 2);
    // p(k) = 2 (s0 - s(k)) + k: 0, -21, -6, -1, -12, -17; m = -21 at k = 1.
    const std::vector<std::pair<int, int>> expected = {{0, 12}, {4, 12}, {9, 9}, {15, 5}, {20, 3}, {21, 1}};
    EXPECT_EQ(plan.drops, expected);
    EXPECT_EQ(plan.boardLength, 6);
    EXPECT_EQ(plan.overlappingBoards, 21 / 6 + 1);
    // 27 - kmin + 2 s(kmin) - 2 with kmin = 1, s(kmin) = 12.
    EXPECT_EQ(plan.effectiveCtaCount, 27 - 1 + 24 - 2);
    EXPECT_EQ(plan.effectiveCutCount, 2 - 1 + 24 - 2);
}

TEST(FeedPlan, EveryComponentReachesTheCtaOnePitchAfterThePrevious) {
    // Whatever the stations, component k dropped at its time from its station
    // stands at the CTA at effective CTA count + k (station s lies
    // 27 + 2 (s - 1) pitches before the CTA).
    const std::vector<int> stations = {7, 7, 2, 11, 1, 4, 12, 12, 3};
    const FeedPlan plan = buildFeedPlan(stations, 27, 2);
    std::vector<int> arrivals;
    for (const auto& [time, station] : plan.drops) {
        arrivals.push_back(time + 27 + 2 * (station - 1));
    }
    std::sort(arrivals.begin(), arrivals.end());
    for (size_t k = 0; k < arrivals.size(); ++k) {
        EXPECT_EQ(arrivals[k], plan.effectiveCtaCount + static_cast<int>(k));
    }
}

TEST(FeedPlan, EqualDropTimesKeepProgramOrderAndEmptyProgramsPlanNothing) {
    // p = 0, -1, 4 with m = -1.
    const FeedPlan plan = buildFeedPlan({4, 5, 3}, 27, 2);
    EXPECT_EQ(plan.drops, (std::vector<std::pair<int, int>>{{0, 5}, {1, 4}, {5, 3}}));
    // p = 0, -1, 0: the two drops at time 1 keep program order.
    const FeedPlan ties = buildFeedPlan({3, 4, 4}, 27, 2);
    EXPECT_EQ(ties.drops, (std::vector<std::pair<int, int>>{{0, 4}, {1, 3}, {1, 4}}));

    const FeedPlan none = buildFeedPlan({}, 27, 2);
    EXPECT_TRUE(none.drops.empty());
    EXPECT_EQ(none.boardLength, 0);
    EXPECT_EQ(none.overlappingBoards, 0);
}

TEST(FeedPlan, OnlyComponentRecordsWithAStationCount) {
    std::vector<ProductionRecord> records(5);
    records[0].command = StepCommand::Mark;
    records[0].station = 1;
    records[1].command = StepCommand::Check;
    records[1].station = 4;
    records[2].command = StepCommand::Uncheck;
    records[2].station = 0;
    records[3].command = StepCommand::Break;
    records[3].station = 6;
    records[4].command = StepCommand::Uncheck;
    records[4].station = 9;
    EXPECT_EQ(componentStations(records), (std::vector<int>{4, 9}));
}
