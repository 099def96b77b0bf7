// Boards along the line, driven by hand through the signal sequence of the
// load lift, the workdesk and the unload lift.
#include <gtest/gtest.h>

#include "sim_fixture.h"

namespace corvane::sim::testing {
namespace {

class TransportTest : public SimFixture {
  protected:
    // Load lift worker: ask the previous machine, run the belt from
    // checkpoint 1 to checkpoint 2, 35 ms overrun.
    static void fetchBoard() {
        ASSERT_TRUE(waitActive(Input::LoadLiftOrigin, 3.0));
        ASSERT_FALSE(active(Input::LoadLiftCheckpoint1));
        set(Output::AskForPcb, true);
        ASSERT_TRUE(waitActive(Input::LoadLiftCheckpoint1, 2.0));
        set(Output::AskForPcb, false);
        set(Output::LoadLiftBelt, true);
        ASSERT_TRUE(waitActive(Input::LoadLiftCheckpoint2, 10.0));
        advance(0.035);
        set(Output::LoadLiftBelt, false);
    }
    // Loading phase: stopper up, lift up, both belts until the board arrives,
    // overrun, then clamp.
    static void loadWorkdesk() {
        set(Output::PcbFixing1, true);
        set(Output::PcbFixing2, false);
        set(Output::LoadLift, true);
        ASSERT_TRUE(waitActive(Input::LoadLiftTarget, 3.0));
        ASSERT_TRUE(active(Input::LoadLiftCheckpoint2));
        set(Output::WorkdeskBelt, true);
        set(Output::LoadLiftBelt, true);
        ASSERT_TRUE(waitActive(Input::PcbArriveWorkdesk, 10.0));
        advance(0.2);
        set(Output::WorkdeskBelt, false);
        set(Output::LoadLiftBelt, false);
        set(Output::PcbFixing1, false);
        set(Output::PcbFixing2, false);
        set(Output::LoadLift, false);
        ASSERT_TRUE(waitActive(Input::PcbFixing, 0.12));
    }
    // Unloading phase up to the unload lift going down.
    static void unloadWorkdesk() {
        ASSERT_FALSE(active(Input::UnloadLiftCheckpoint1));
        ASSERT_FALSE(active(Input::UnloadLiftCheckpoint2));
        set(Output::UnloadLift, true);
        advance(0.03);
        ASSERT_TRUE(waitActive(Input::UnloadLiftTarget, 3.0));
        ASSERT_TRUE(active(Input::PcbArriveWorkdesk));
        set(Output::PcbFixing1, true);
        set(Output::PcbFixing2, true);
        advance(0.1);
        set(Output::WorkdeskBelt, true);
        set(Output::UnloadLiftBelt, true);
        ASSERT_TRUE(waitActive(Input::UnloadLiftCheckpoint1, 10.0));
        // Checkpoint 1 clear for more than 50 ms without interruption.
        double clearSince = -1;
        ASSERT_TRUE(waitFor(
            [&] {
                if (active(Input::UnloadLiftCheckpoint1)) {
                    clearSince = -1;
                    return false;
                }
                if (clearSince < 0) {
                    clearSince = now();
                }
                return now() - clearSince > 0.05;
            },
            10.0));
        set(Output::WorkdeskBelt, false);
        advance(0.005);
        set(Output::UnloadLift, false);
        // The unload lift worker stops the belt at checkpoint 2.
        ASSERT_TRUE(waitActive(Input::UnloadLiftCheckpoint2, 10.0));
        set(Output::UnloadLiftBelt, false);
        set(Output::PcbFixing1, false);
        set(Output::PcbFixing2, false);
    }
    // Unload lift worker: lift down, belt until checkpoint 2 clears, 50 ms.
    static void handOver() {
        ASSERT_TRUE(active(Input::NextMachineNeeds));
        ASSERT_TRUE(waitActive(Input::UnloadLiftOrigin, 5.0));
        advance(0.1);
        ASSERT_TRUE(active(Input::UnloadLiftCheckpoint2));
        set(Output::UnloadLiftBelt, true);
        ASSERT_TRUE(waitActive(Input::UnloadLiftCheckpoint2, 10.0, false));
        advance(0.05);
        set(Output::UnloadLiftBelt, false);
    }
};

TEST_F(TransportTest, BoardTravelsFromThePreviousToTheNextMachine) {
    fetchBoard();
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint2));
    EXPECT_FALSE(active(Input::LoadLiftCheckpoint1));
    ASSERT_EQ(machine().boards().size(), 1u);
    EXPECT_EQ(machine().boards()[0].place, BoardPlace::LoadLift);

    loadWorkdesk();
    EXPECT_FALSE(active(Input::LoadLiftCheckpoint2));
    EXPECT_EQ(machine().boards()[0].place, BoardPlace::Workdesk);
    // Clamped: the belt cannot move it.
    set(Output::WorkdeskBelt, true);
    advance(1.0);
    set(Output::WorkdeskBelt, false);
    EXPECT_TRUE(active(Input::PcbArriveWorkdesk));

    unloadWorkdesk();
    EXPECT_FALSE(active(Input::PcbArriveWorkdesk));
    EXPECT_EQ(machine().boards()[0].place, BoardPlace::UnloadLift);
    EXPECT_EQ(machine().boardsDelivered(), 0);

    handOver();
    ASSERT_TRUE(waitFor([] { return machine().boardsDelivered() == 1; }, 2.0));
    const auto boards = machine().boards();
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].id, 1);
    EXPECT_EQ(boards[0].place, BoardPlace::Delivered);
    EXPECT_GT(boards[0].deliveredAt, boards[0].arrivedAt);
    EXPECT_TRUE(machine().boardsOnLine().empty());
}

TEST_F(TransportTest, NextBoardIsFetchedDuringInsertionAndBoardsKeepTheirOrder) {
    fetchBoard();
    loadWorkdesk();
    fetchBoard();  // the load lift is down again and takes the next board
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint2));
    unloadWorkdesk();
    handOver();
    loadWorkdesk();
    unloadWorkdesk();
    handOver();
    ASSERT_TRUE(waitFor([] { return machine().boardsDelivered() == 2; }, 2.0));
    const auto boards = machine().boards();
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_LT(boards[0].deliveredAt, boards[1].deliveredAt);
}

TEST_F(TransportTest, BoardsWaitForTheirWay) {
    // No ask, no board.
    advance(2.0);
    EXPECT_TRUE(machine().boards().empty());
    // The lift must be down for the previous machine to deliver.
    set(Output::LoadLift, true);
    set(Output::AskForPcb, true);
    advance(2.0);
    EXPECT_TRUE(machine().boards().empty());
    set(Output::LoadLift, false);
    ASSERT_TRUE(waitActive(Input::LoadLiftCheckpoint1, 2.0));
    set(Output::AskForPcb, false);
    // The belt runs on, but the lowered lift holds the board at its end.
    set(Output::LoadLiftBelt, true);
    advance(5.0);
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint2));
    EXPECT_EQ(machine().boards()[0].place, BoardPlace::LoadLift);
    set(Output::LoadLiftBelt, false);
    // A previous machine without boards never answers.
    machine().setPreviousMachineSupplying(false);
    machine().removeBoardsFromLoadLift();
    set(Output::AskForPcb, true);
    advance(3.0);
    EXPECT_EQ(machine().boards().size(), 1u);
    EXPECT_EQ(machine().boards()[0].place, BoardPlace::Removed);
}

TEST_F(TransportTest, NextMachineThatStopsAskingKeepsTheBoardOnTheUnloadLift) {
    machine().setNextMachineAsking(false);
    EXPECT_FALSE(active(Input::NextMachineNeeds));
    fetchBoard();
    loadWorkdesk();
    unloadWorkdesk();
    ASSERT_TRUE(waitActive(Input::UnloadLiftOrigin, 5.0));
    set(Output::UnloadLiftBelt, true);
    advance(10.0);
    EXPECT_TRUE(active(Input::UnloadLiftCheckpoint2));
    EXPECT_EQ(machine().boardsDelivered(), 0);
    machine().setNextMachineAsking(true);
    ASSERT_TRUE(waitActive(Input::UnloadLiftCheckpoint2, 2.0, false));
    set(Output::UnloadLiftBelt, false);
    ASSERT_TRUE(waitFor([] { return machine().boardsDelivered() == 1; }, 2.0));
}

TEST_F(TransportTest, DoubleBoardLeavesBothLoadCheckpointsActive) {
    machine().injectDoubleBoard();
    fetchBoard();
    loadWorkdesk();
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint1));
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint2));
    const auto boards = machine().boards();
    ASSERT_EQ(boards.size(), 2u);
    EXPECT_TRUE(boards[1].jammed);
    // It does not move by itself, even with the lift up and the belts on.
    set(Output::LoadLift, true);
    set(Output::LoadLiftBelt, true);
    advance(2.0);
    EXPECT_TRUE(active(Input::LoadLiftCheckpoint1));
    set(Output::LoadLiftBelt, false);
    set(Output::LoadLift, false);
    EXPECT_EQ(machine().removeBoardsFromLoadLift(), 1);
    EXPECT_FALSE(active(Input::LoadLiftCheckpoint1));
    EXPECT_FALSE(active(Input::LoadLiftCheckpoint2));
    // Only one double board: the next delivery is a single board.
    advance(0.5);
    fetchBoard();
    EXPECT_EQ(machine().boards().size(), 3u);
}

TEST_F(TransportTest, BoardPlacedByHandOnTheWorkdesk) {
    const auto id = machine().placeBoardOnWorkdesk();
    ASSERT_TRUE(id);
    EXPECT_TRUE(active(Input::PcbArriveWorkdesk));
    EXPECT_FALSE(machine().placeBoardOnWorkdesk());
    EXPECT_TRUE(machine().boards()[0].byHand);
    EXPECT_EQ(machine().removeBoardsFromWorkdesk(), 1);
    EXPECT_FALSE(active(Input::PcbArriveWorkdesk));
}

}  // namespace
}  // namespace corvane::sim::testing
