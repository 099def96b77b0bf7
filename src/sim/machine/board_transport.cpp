// Boards carried along the line by the belts.
#include "sim/machine/board_transport.h"

#include <algorithm>
#include <limits>

namespace corvane::sim {

void BoardTransport::reset(const TransportConfig& config) {
    config_ = config;
    boards_.clear();
    records_.clear();
    nextMachineAsks_ = config.nextMachineAsks;
    previousSupplies_ = config.previousMachineSupplies;
    doubleBoardArmed_ = false;
    askSince_ = -1;
    delivered_ = 0;
    arrived_ = 0;
}

BoardPlace BoardTransport::placeOf(const Board& board) const {
    const double centre = (board.front + board.rear) / 2.0;
    if (centre < config_.loadLiftEnd) {
        return BoardPlace::LoadLift;
    }
    if (centre < config_.workdeskEnd) {
        return BoardPlace::Workdesk;
    }
    if (centre < config_.unloadLiftEnd) {
        return BoardPlace::UnloadLift;
    }
    return BoardPlace::NextMachine;
}

int BoardTransport::addBoard(double now, double front, bool byHand) {
    Board board;
    board.id = static_cast<int>(records_.size()) + 1;
    board.front = front;
    board.rear = front - config_.boardLength;
    BoardRecord record;
    record.id = board.id;
    record.arrivedAt = now;
    record.byHand = byHand;
    record.place = placeOf(board);
    records_.push_back(record);
    if (!byHand) {
        ++arrived_;
    }
    const auto at = std::find_if(boards_.begin(), boards_.end(),
                                 [&](const Board& b) { return b.front < board.front; });
    boards_.insert(at, board);
    return board.id;
}

void BoardTransport::step(double now, double dt, const Drive& drive) {
    // The previous machine answers "Ask for Pcb" when the lift is down to take
    // a board and its entry is free.
    const bool entryFree = std::none_of(boards_.begin(), boards_.end(), [&](const Board& b) {
        return b.rear < config_.entryFront;
    });
    if (drive.askForPcb && drive.loadLiftDown && previousSupplies_ && entryFree) {
        if (askSince_ < 0) {
            askSince_ = now;
        }
        if (now - askSince_ >= config_.previousMachineDelay) {
            const int id = addBoard(now, config_.entryFront, false);
            auto it = std::find_if(boards_.begin(), boards_.end(),
                                   [id](const Board& b) { return b.id == id; });
            it->carriesSecond = doubleBoardArmed_;
            doubleBoardArmed_ = false;
            askSince_ = -1;
        }
    } else {
        askSince_ = -1;
    }

    // Belts carry each board by the zone under its centre; stops and the board
    // ahead hold it back. Downstream boards move first so followers see where
    // the board ahead has got to.
    constexpr double kFree = std::numeric_limits<double>::infinity();
    double aheadRear = kFree;
    std::vector<double> secondBoards;
    for (Board& b : boards_) {
        if (b.stuck) {
            aheadRear = b.rear;
            continue;
        }
        double speed = 0;
        switch (placeOf(b)) {
            case BoardPlace::LoadLift:
                speed = drive.loadBelt ? config_.beltSpeed : 0;
                break;
            case BoardPlace::Workdesk:
                speed = (drive.workdeskBelt && !drive.boardClamped) ? config_.beltSpeed : 0;
                break;
            case BoardPlace::UnloadLift:
                speed = drive.unloadBelt ? config_.beltSpeed : 0;
                break;
            default:
                speed = nextMachineAsks_ ? config_.beltSpeed : 0;
                break;
        }
        double limit = aheadRear;
        if (b.front <= config_.loadLiftEnd && !drive.loadLiftUp) {
            limit = std::min(limit, config_.loadLiftEnd);
        }
        if (b.front <= config_.workdeskStopper && drive.stopperRaised) {
            limit = std::min(limit, config_.workdeskStopper);
        }
        if (b.front <= config_.workdeskEnd && !drive.unloadLiftUp) {
            limit = std::min(limit, config_.workdeskEnd);
        }
        if (b.front <= config_.unloadLiftEnd && !(drive.unloadLiftDown && nextMachineAsks_)) {
            limit = std::min(limit, config_.unloadLiftEnd);
        }
        const double front = std::min(b.front + speed * dt, std::max(b.front, limit));
        b.rear += front - b.front;
        b.front = front;
        aheadRear = b.rear;
        if (b.carriesSecond && b.rear >= config_.loadLiftEnd) {
            b.carriesSecond = false;
            secondBoards.push_back(now);
        }
    }

    // Boards fully on the next machine are delivered.
    while (!boards_.empty() && boards_.front().rear >= config_.unloadLiftEnd) {
        BoardRecord& record = records_[boards_.front().id - 1];
        record.place = BoardPlace::Delivered;
        record.deliveredAt = now;
        ++delivered_;
        boards_.pop_front();
    }

    for (double when : secondBoards) {
        const int id = addBoard(when, config_.loadCheckpoint2 + 5, false);
        for (Board& b : boards_) {
            if (b.id == id) {
                b.rear = config_.loadCheckpoint1 - 5;
                b.stuck = true;
                records_[id - 1].jammed = true;
            }
        }
    }
    updatePlaces();
}

void BoardTransport::updatePlaces() {
    for (const Board& b : boards_) {
        records_[b.id - 1].place = placeOf(b);
    }
}

bool BoardTransport::sensor(Sensor which) const {
    double at = 0;
    switch (which) {
        case Sensor::LoadCheckpoint1:
            at = config_.loadCheckpoint1;
            break;
        case Sensor::LoadCheckpoint2:
            at = config_.loadCheckpoint2;
            break;
        case Sensor::WorkdeskArrived:
            at = config_.workdeskSensor;
            break;
        case Sensor::UnloadCheckpoint1:
            at = config_.unloadCheckpoint1;
            break;
        case Sensor::UnloadCheckpoint2:
            at = config_.unloadCheckpoint2;
            break;
    }
    return std::any_of(boards_.begin(), boards_.end(),
                       [at](const Board& b) { return b.rear <= at && at <= b.front; });
}

std::optional<int> BoardTransport::placeOnWorkdesk(double now) {
    const double front = config_.workdeskStopper;
    const double rear = front - config_.boardLength;
    for (const Board& b : boards_) {
        if (placeOf(b) == BoardPlace::Workdesk || (b.rear < front && b.front > rear)) {
            return std::nullopt;
        }
    }
    return addBoard(now, front, true);
}

int BoardTransport::removeWhere(BoardPlace place) {
    int removed = 0;
    for (auto it = boards_.begin(); it != boards_.end();) {
        if (placeOf(*it) == place) {
            records_[it->id - 1].place = BoardPlace::Removed;
            it = boards_.erase(it);
            ++removed;
        } else {
            ++it;
        }
    }
    return removed;
}

int BoardTransport::removeFromLoadLift() {
    return removeWhere(BoardPlace::LoadLift);
}
int BoardTransport::removeFromWorkdesk() {
    return removeWhere(BoardPlace::Workdesk);
}
int BoardTransport::removeFromUnloadLift() {
    return removeWhere(BoardPlace::UnloadLift);
}

std::optional<int> BoardTransport::boardOnWorkdesk() const {
    // Boards are kept downstream first: the first one on the workdesk is
    // the one nearest the stopper.
    for (const Board& b : boards_) {
        if (placeOf(b) == BoardPlace::Workdesk) {
            return b.id;
        }
    }
    return std::nullopt;
}

void BoardTransport::recordInsertion(int boardId, int station) {
    if (boardId >= 1 && boardId <= static_cast<int>(records_.size())) {
        records_[boardId - 1].insertedStations.push_back(station);
    }
}

std::vector<BoardOnLine> BoardTransport::boardsOnLine() const {
    std::vector<BoardOnLine> out;
    for (const Board& b : boards_) {
        out.push_back({b.id, b.front, b.rear, placeOf(b)});
    }
    return out;
}

}  // namespace corvane::sim
