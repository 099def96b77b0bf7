// Boards on the line: the previous machine hands them onto the load lift,
// belts carry them past the checkpoints to the workdesk and the unload lift,
// and the next machine takes them.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "sim/machine/machine_config.h"
#include "sim/machine/machine_records.h"

namespace corvane::sim {

class BoardTransport {
  public:
    // What the rest of the machine decides about the boards' way, at one moment.
    struct Drive {
        bool loadBelt = false;
        bool workdeskBelt = false;
        bool unloadBelt = false;
        bool askForPcb = false;
        bool loadLiftDown = false;  // at its origin
        bool loadLiftUp = false;    // at its target
        bool unloadLiftDown = false;
        bool unloadLiftUp = false;
        bool stopperRaised = true;  // "The Pcb fixxing 2" off
        bool boardClamped = false;  // fixing cylinder fully closed
    };

    enum class Sensor {
        LoadCheckpoint1,
        LoadCheckpoint2,
        WorkdeskArrived,
        UnloadCheckpoint1,
        UnloadCheckpoint2,
    };

    void reset(const TransportConfig& config);

    // Moves the boards over dt seconds ending at `now` (seconds) and lets the
    // neighbours deliver and take boards.
    void step(double now, double dt, const Drive& drive);

    bool sensor(Sensor which) const;
    bool nextMachineAsks() const { return nextMachineAsks_; }
    void setNextMachineAsks(bool asks) { nextMachineAsks_ = asks; }
    bool previousMachineSupplies() const { return previousSupplies_; }
    void setPreviousMachineSupplies(bool supplies) { previousSupplies_ = supplies; }

    // The next board from the previous machine carries a second board on top;
    // when the first leaves the load lift the second drops and lies across
    // both load-lift checkpoints, stuck, until taken away by hand.
    void armDoubleBoard() { doubleBoardArmed_ = true; }
    bool doubleBoardArmed() const { return doubleBoardArmed_; }
    void disarmDoubleBoard() { doubleBoardArmed_ = false; }

    // Hand work: put a board on the workdesk against the stopper (returns its
    // id, or nullopt when the workdesk is not free), take boards away.
    std::optional<int> placeOnWorkdesk(double now);
    int removeFromLoadLift();
    int removeFromWorkdesk();
    int removeFromUnloadLift();

    // The board on the workdesk (the one nearest the stopper), if any.
    std::optional<int> boardOnWorkdesk() const;
    // Adds an inserted component to a board's record.
    void recordInsertion(int boardId, int station);

    const std::vector<BoardRecord>& records() const { return records_; }
    std::vector<BoardOnLine> boardsOnLine() const;
    int delivered() const { return delivered_; }
    int arrived() const { return arrived_; }

  private:
    struct Board {
        int id = 0;
        double front = 0;
        double rear = 0;
        bool carriesSecond = false;  // double board: another lies on top
        bool stuck = false;          // lies skewed and does not move
    };

    BoardPlace placeOf(const Board& board) const;
    int addBoard(double now, double front, bool byHand);
    int removeWhere(BoardPlace place);
    void updatePlaces();

    TransportConfig config_;
    std::deque<Board> boards_;  // downstream first
    std::vector<BoardRecord> records_;
    bool nextMachineAsks_ = true;
    bool previousSupplies_ = true;
    bool doubleBoardArmed_ = false;
    double askSince_ = -1;  // seconds; -1 while the previous machine is not asked
    int delivered_ = 0;
    int arrived_ = 0;
};

}  // namespace corvane::sim
