// Feeders, the chain and the head: a station's component travels down the
// chain to the CTA, is taken into the head and inserted at the cut; lead
// sensors, failures, losses and head-down events.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

class ChainHeadTest : public SimFixture {
  protected:
    // A station pulse as the chain feed gives it: on 100 ms, off 100 ms.
    static void pulseStation(int station, double onSeconds = 0.1) {
        setStation(station, true);
        advance(onSeconds);
        setStation(station, false);
        advance(0.1);
    }
    // The chain moves one pitch per L move.
    static void movePitches(int pitches) {
        for (int i = 0; i < pitches; ++i) {
            ASSERT_EQ(d1000_start_t_move(id(Axis::L), 12'500, 90'000, 230'000, 0.03), 0);
            ASSERT_EQ(waitDone(Axis::L, 2.0), 1);
        }
    }
    static void pushCta() {
        set(Output::Cta, true);
        ASSERT_TRUE(waitActive(Input::CtaTarget, 0.12));
        set(Output::Cta, false);
        ASSERT_TRUE(waitActive(Input::CtaOrigin, 0.12));
    }
    // Forfex seat up, cut, and the lead sensors latched for 120 ms.
    struct Leads {
        bool left = false;
        bool right = false;
    };
    static Leads cut() {
        Leads seen;
        set(Output::ForfexSeat, true);
        advance(0.05);
        set(Output::Forfex, true);
        waitFor(
            [&] {
                seen.left = seen.left || active(Input::LeftCheck);
                seen.right = seen.right || active(Input::RightCheck);
                return active(Input::ForfexSeatTarget);
            },
            0.12);
        waitFor(
            [&] {
                seen.left = seen.left || active(Input::LeftCheck);
                seen.right = seen.right || active(Input::RightCheck);
                return false;
            },
            0.12);
        set(Output::Forfex, false);
        set(Output::ForfexSeat, false);
        waitActive(Input::ForfexSeatOrigin, 0.15);
        return seen;
    }
};

TEST_F(ChainHeadTest, StationComponentIsCarriedToTheCtaAndInserted) {
    const auto board = machine().placeBoardOnWorkdesk();
    ASSERT_TRUE(board);
    pulseStation(3);
    EXPECT_EQ(machine().stationDrops()[2], 1);
    auto onChain = machine().chainComponents();
    ASSERT_EQ(onChain.size(), 1u);
    EXPECT_EQ(onChain[0].station, 3);
    EXPECT_NEAR(onChain[0].pitchesFromCta, -31.0, 1e-9);  // 27 + 2 * (3 - 1)

    // Platform to the insertion point.
    const int16_t xy[2] = {id(Axis::X), id(Axis::Y)};
    const int32_t at[2] = {120'000, -35'500};
    ASSERT_EQ(d1000_start_ta_line(2, xy, at, 200'000, 600'000, 0.03), 0);

    movePitches(30);
    pushCta();  // one pitch short: nothing to take
    EXPECT_FALSE(machine().headComponentStation());
    movePitches(1);
    EXPECT_NEAR(machine().chainComponents()[0].pitchesFromCta, 0.0, 1e-9);
    pushCta();
    EXPECT_EQ(machine().headComponentStation(), 3);
    EXPECT_TRUE(machine().chainComponents().empty());

    const Leads leads = cut();
    EXPECT_TRUE(leads.left);
    EXPECT_TRUE(leads.right);
    EXPECT_FALSE(machine().headComponentStation());
    const auto insertions = machine().insertions();
    ASSERT_EQ(insertions.size(), 1u);
    EXPECT_EQ(insertions[0].boardId, *board);
    EXPECT_EQ(insertions[0].station, 3);
    EXPECT_DOUBLE_EQ(insertions[0].x, 120.0);
    EXPECT_DOUBLE_EQ(insertions[0].y, -35.5);
    EXPECT_EQ(machine().insertedStations(*board), std::vector<int>{3});
    const auto c = machine().counters();
    EXPECT_EQ(c.componentsDropped, 1);
    EXPECT_EQ(c.componentsPicked, 1);
    EXPECT_EQ(c.componentsInserted, 1);
    EXPECT_EQ(c.ctaPushesWithoutComponent, 1);
    // The lead signals end 60 ms after the cut.
    EXPECT_FALSE(active(Input::LeftCheck));
}

TEST_F(ChainHeadTest, ComponentsFromStationsFarApartArriveInDropOrder) {
    // Station 5 stands 4 pitches further from the CTA than station 3: drop
    // 5 first, move 4 pitches and one more so the two lie a pitch apart, drop 3.
    pulseStation(5);
    movePitches(5);
    pulseStation(3);
    movePitches(30);
    pushCta();
    EXPECT_EQ(machine().headComponentStation(), 5);
    cut();
    movePitches(1);
    pushCta();
    EXPECT_EQ(machine().headComponentStation(), 3);
    cut();
    const auto insertions = machine().insertions();
    ASSERT_EQ(insertions.size(), 2u);
    EXPECT_EQ(insertions[0].station, 5);
    EXPECT_EQ(insertions[1].station, 3);
    EXPECT_EQ(insertions[0].boardId, -1);  // nothing on the workdesk
}

TEST_F(ChainHeadTest, FeederDropsOncePerLongEnoughPulse) {
    pulseStation(7, 0.03);  // too short
    EXPECT_EQ(machine().stationDrops()[6], 0);
    pulseStation(7, 0.5);
    EXPECT_EQ(machine().stationDrops()[6], 1);
    pulseStation(7, 0.06);
    EXPECT_EQ(machine().stationDrops()[6], 2);
    EXPECT_EQ(machine().feederParts(7), 1'000'000 - 2);
}

TEST_F(ChainHeadTest, EmptyFeederNeverConfirmsNorDrops) {
    machine().setFeederParts(4, 0);
    setStation(4, true);
    EXPECT_FALSE(stationConfirms(4));
    advance(0.3);
    EXPECT_FALSE(stationConfirms(4));
    setStation(4, false);
    EXPECT_EQ(machine().stationDrops()[3], 0);
    EXPECT_TRUE(machine().chainComponents().empty());

    // The last part: confirmed until it drops.
    machine().setFeederParts(4, 1);
    setStation(4, true);
    EXPECT_TRUE(stationConfirms(4));
    advance(0.06);
    EXPECT_FALSE(stationConfirms(4));
    setStation(4, false);
    EXPECT_EQ(machine().stationDrops()[3], 1);

    machine().clearFaults();
    EXPECT_EQ(machine().feederParts(4), 1'000'000);
}

TEST_F(ChainHeadTest, ComponentCarriedPastTheCtaIsLost) {
    MachineConfig c;
    c.chain.firstStationToCta = 2;
    restart(c);
    pulseStation(1);
    movePitches(2);
    EXPECT_EQ(machine().chainComponents().size(), 1u);
    movePitches(1);
    EXPECT_TRUE(machine().chainComponents().empty());
    const auto lost = machine().lostComponents();
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].station, 1);
    EXPECT_EQ(lost[0].reason, "carried past the CTA");
    EXPECT_EQ(machine().counters().componentsLost, 1);
}

TEST_F(ChainHeadTest, CutWithAnEmptyHeadSeesNoLeads) {
    const Leads leads = cut();
    EXPECT_FALSE(leads.left);
    EXPECT_FALSE(leads.right);
    EXPECT_TRUE(machine().insertions().empty());
    EXPECT_EQ(machine().counters().emptyCuts, 1);
}

class LeadTest : public ChainHeadTest {
  protected:
    // Station 1 stands at the CTA: drop, push, cut.
    MachineConfig config() const override {
        MachineConfig c;
        c.chain.firstStationToCta = 0;
        return c;
    }
    static Leads insertOne() {
        pulseStation(1);
        pushCta();
        return cut();
    }
};

TEST_F(LeadTest, QueuedResultsComeFirst) {
    machine().queueLeadResult(false, true);
    machine().queueLeadResult(false, false);
    Leads l = insertOne();
    EXPECT_FALSE(l.left);
    EXPECT_TRUE(l.right);
    l = insertOne();
    EXPECT_FALSE(l.left);
    EXPECT_FALSE(l.right);
    l = insertOne();
    EXPECT_TRUE(l.left);
    EXPECT_TRUE(l.right);
    const auto insertions = machine().insertions();
    ASSERT_EQ(insertions.size(), 3u);
    EXPECT_FALSE(insertions[0].leftLeadSeen);
    EXPECT_TRUE(insertions[0].rightLeadSeen);
}

TEST_F(LeadTest, FailureRateIsKeptAndSeeded) {
    machine().setLeadFailureRate(0.3);
    constexpr int kCuts = 300;
    int leftFailures = 0;
    int rightFailures = 0;
    std::vector<bool> first;
    for (int i = 0; i < kCuts; ++i) {
        const Leads l = insertOne();
        leftFailures += l.left ? 0 : 1;
        rightFailures += l.right ? 0 : 1;
        first.push_back(l.left);
        first.push_back(l.right);
    }
    EXPECT_NEAR(leftFailures / double(kCuts), 0.3, 0.08);
    EXPECT_NEAR(rightFailures / double(kCuts), 0.3, 0.08);
    // The recorded results agree with the sensors.
    const auto insertions = machine().insertions();
    ASSERT_EQ(insertions.size(), static_cast<size_t>(kCuts));
    for (int i = 0; i < kCuts; ++i) {
        EXPECT_EQ(insertions[i].leftLeadSeen, first[2 * i]);
        EXPECT_EQ(insertions[i].rightLeadSeen, first[2 * i + 1]);
    }

    // Same seed, same results.
    machine().reset(config());
    machine().setLeadFailureRate(0.3);
    for (int i = 0; i < 40; ++i) {
        const Leads l = insertOne();
        EXPECT_EQ(l.left, first[2 * i]);
        EXPECT_EQ(l.right, first[2 * i + 1]);
    }
}

TEST_F(ChainHeadTest, HeadDownEventsAreCounted) {
    auto moveH = [](int32_t target) {
        ASSERT_EQ(d1000_start_sa_move(id(Axis::H), target, 80'000, 400'000, 0.13), 0);
        ASSERT_EQ(waitDone(Axis::H), 1);
    };
    // H power-on at -2 mm (command 0): already low, which does not count.
    advance(0.5);
    EXPECT_TRUE(machine().headDownEvents().empty());
    moveH(1'500);  // up to -0.5
    moveH(800);    // -1.2: down
    moveH(1'500);
    moveH(-18'000);  // -20: down
    moveH(1'200);    // -0.8: not down
    const auto events = machine().headDownEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_NEAR(events[1].headHeight, -1.0, 0.5);
}

}  // namespace
}  // namespace corvane::sim::testing
