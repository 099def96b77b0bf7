// The simulated machine: the blocks put together, the motion-card calls, the
// knobs and the records.
#include "sim/machine/simulated_machine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/clock.h"

namespace corvane::sim {

namespace {

using platform::Clock;

double seconds(int64_t ns) {
    return static_cast<double>(ns) * 1e-9;
}

int index(Cylinder c) {
    return static_cast<int>(c);
}
int index(Axis a) {
    return static_cast<int>(a);
}

int32_t toInt32(double v) {
    constexpr double lo = std::numeric_limits<int32_t>::min();
    constexpr double hi = std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(std::clamp(std::round(v), lo, hi));
}

bool finite(double v) {
    return std::isfinite(v);
}

}  // namespace

SimulatedMachine::SimulatedMachine() : SimulatedMachine(MachineConfig{}) {}

SimulatedMachine::SimulatedMachine(const MachineConfig& config) {
    resetLocked(config);
}

SimulatedMachine& SimulatedMachine::instance() {
    // Deliberately never destroyed: worker threads may still call the cards
    // while the process shuts down.
    static SimulatedMachine* const machine = new SimulatedMachine();
    return *machine;
}

void SimulatedMachine::reset(const MachineConfig& config) {
    std::lock_guard lock(mutex_);
    resetLocked(config);
}

void SimulatedMachine::resetLocked(const MachineConfig& config) {
    config_ = config;
    time_ = Clock::nanoseconds();
    stepNs_ = std::max<int64_t>(1, std::llround(config.stepSeconds * 1e9));
    cards_ = std::clamp(config.cards, 0, kMaxCards);
    for (int a = 0; a < kAxisCount; ++a) {
        axes_[a].reset(config.axes[a]);
    }
    outputs_.fill(1);
    for (auto& o : overrides_) {
        o = {};
    }
    buttons_.fill(false);
    doorClosed_ = config.safeDoorClosed;
    schedule_.clear();
    transport_.reset(config.transport);
    chain_.reset(config.chain, time_);
    head_.reset();
    random_.seed(config.seed);
    leadFailureRate_ = config.head.leadFailureRate;
    queuedLeads_.clear();
    leftLeadUntil_ = rightLeadUntil_ = time_;
    // A head that is already low at power-on did not go down.
    headDown_ = physicalUnits(index(Axis::H), time_) < config.head.headDownThreshold;
    insertions_.clear();
    headDownEvents_.clear();
    platformStops_.clear();
    outputLog_.clear();
    losses_.clear();
    counters_ = {};
    scene_ = std::make_shared<const BoardSceneConfig>(config.scene);
    placements_.clear();
    // Cylinders rest at the end their outputs (all off) command.
    for (int c = 0; c < kCylinderCount; ++c) {
        cylinders_[c].reset(config.cylinders[c].travelSeconds, false, time_);
    }
    cylinders_[index(Cylinder::Fixing)].reset(
        config.cylinders[index(Cylinder::Fixing)].travelSeconds, true, time_);
    for (int c = 0; c < kCylinderCount; ++c) {
        cylinderAtTarget_[c] = cylinders_[c].atTarget(time_);
    }
}

MachineConfig SimulatedMachine::config() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void SimulatedMachine::update() {
    std::lock_guard lock(mutex_);
    advanceLocked();
}

// ---------------------------------------------------------------- time

void SimulatedMachine::advanceLocked() {
    // Read the clock under the lock so the model time never goes back when
    // several threads call at once.
    const int64_t now = Clock::nanoseconds();
    for (;;) {
        while (!schedule_.empty() && schedule_.front().time <= time_) {
            const Scheduled action = schedule_.front();
            schedule_.erase(schedule_.begin());
            if (action.door) {
                doorClosed_ = action.value;
            } else {
                buttons_[action.button] = action.value;
            }
        }
        if (time_ >= now) {
            return;
        }
        int64_t next = std::min(now, time_ + stepNs_);
        if (!schedule_.empty()) {
            next = std::min(next, schedule_.front().time);
        }
        stepTo(next);
    }
}

void SimulatedMachine::stepTo(int64_t t) {
    const int64_t from = time_;
    advanceAxes(from, t);
    time_ = t;

    for (int c = 0; c < kCylinderCount; ++c) {
        const bool atTarget = cylinders_[c].atTarget(t);
        if (atTarget && !cylinderAtTarget_[c]) {
            cylinderAtTarget_[c] = true;
            reachedTarget(static_cast<Cylinder>(c));
        }
        cylinderAtTarget_[c] = atTarget;
    }
    chain_.step(t, chainPosition(t), counters_, losses_);
    transport_.step(seconds(t), seconds(t - from), drive());
    counters_.boardsDelivered = transport_.delivered();
    counters_.boardsArrived = transport_.arrived();

    const double h = physicalUnits(index(Axis::H), t);
    const bool down = h < config_.head.headDownThreshold;
    if (down && !headDown_) {
        headDownEvents_.push_back(
            {seconds(t), commandUnits(index(Axis::X), t), commandUnits(index(Axis::Y), t), h});
    }
    headDown_ = down;
}

void SimulatedMachine::advanceAxes(int64_t from, int64_t to) {
    for (int i = 0; i < kAxisCount; ++i) {
        SimAxis& axis = axes_[i];
        if (!axis.moving()) {
            continue;
        }
        const int partner = axis.partner();
        if (partner >= 0 && partner < i && axes_[partner].moving() &&
            axes_[partner].partner() == i) {
            continue;  // handled with its partner
        }
        const auto own = axis.nextEvent(from, to);
        if (partner < 0) {
            if (own) {
                axis.finish(*own);
                if (i == index(Axis::X) || i == index(Axis::Y)) {
                    recordPlatformStop(own->time, own->doneCode);
                }
            }
            continue;
        }
        // A linear move: the first event of either axis ends both.
        SimAxis& other = axes_[partner];
        const auto theirs = other.nextEvent(from, to);
        if (!own && !theirs) {
            continue;
        }
        const bool mine = own && (!theirs || own->time < theirs->time ||
                                  (own->time == theirs->time && own->doneCode == kDoneLimit));
        const SimAxis::Event event = mine ? *own : *theirs;
        SimAxis& hit = mine ? axis : other;
        SimAxis& follower = mine ? other : axis;
        const auto followerOwn = mine ? theirs : own;
        hit.finish(event);
        if (event.doneCode != kDoneLimit && followerOwn &&
            followerOwn->doneCode == event.doneCode) {
            follower.finish(*followerOwn);
        } else {
            follower.stopNow(event.time, event.doneCode);
        }
        if (i <= index(Axis::Y) || partner <= index(Axis::Y)) {
            recordPlatformStop(event.time, event.doneCode);
        }
    }
}

void SimulatedMachine::schedule(const Scheduled& action) {
    const auto at =
        std::upper_bound(schedule_.begin(), schedule_.end(), action,
                         [](const Scheduled& a, const Scheduled& b) { return a.time < b.time; });
    schedule_.insert(at, action);
}

// ---------------------------------------------------------------- axes

bool SimulatedMachine::axisPresent(int16_t axis) const {
    return axis >= 0 && axis < kAxisCount && axis < 4 * cards_;
}

bool SimulatedMachine::bitPresent(int bitNo) const {
    return bitNo >= 1 && bitNo <= kBitsPerCard * cards_;
}

double SimulatedMachine::physicalUnits(int axis, int64_t t) const {
    return axes_[axis].position(t) / axes_[axis].config().pulsesPerUnit;
}

double SimulatedMachine::commandUnits(int axis, int64_t t) const {
    return (axes_[axis].position(t) - axes_[axis].commandOffset()) /
           axes_[axis].config().pulsesPerUnit;
}

void SimulatedMachine::recordPlatformStop(int64_t t, int doneCode) {
    platformStops_.push_back(
        {seconds(t), commandUnits(index(Axis::X), t), commandUnits(index(Axis::Y), t), doneCode});
}

void SimulatedMachine::separate(int axis) {
    const int partner = axes_[axis].partner();
    if (partner >= 0) {
        axes_[partner].setPartner(-1);
        axes_[axis].setPartner(-1);
    }
}

int SimulatedMachine::startSingle(int16_t axis, SimAxis::MoveKind kind, const SpeedProfile& profile,
                                  int direction, double target) {
    separate(axis);
    axes_[axis].start(time_, kind, profile, direction, target);
    if (!axes_[axis].moving() && axis <= index(Axis::Y)) {
        recordPlatformStop(time_, axes_[axis].doneCode());
    }
    return kOk;
}

int SimulatedMachine::startPointToPoint(int16_t axis, bool relative, int32_t value,
                                        double startSpeed, double maxSpeed, double accelTime,
                                        RampShape shape) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    if (!finite(startSpeed) || !finite(maxSpeed) || !finite(accelTime) || maxSpeed == 0) {
        return kErrorBadArgument;
    }
    advanceLocked();
    // Distances count from where the axis stands; targets are command
    // positions, so the command offset turns them physical.
    const double from = std::round(axes_[axis].position(time_));
    const double target =
        relative ? from + value : std::round(value + axes_[axis].commandOffset());
    const double distance = target - from;
    const auto profile =
        SpeedProfile::pointToPoint(distance, startSpeed, maxSpeed, std::max(accelTime, 0.0), shape);
    return startSingle(axis, SimAxis::MoveKind::PointToPoint, profile, distance < 0 ? -1 : 1, target);
}

int SimulatedMachine::startConstant(int16_t axis, int32_t startSpeed, int32_t maxSpeed,
                                    double accelTime, RampShape shape, SimAxis::MoveKind kind) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    if (maxSpeed == 0 || !finite(accelTime)) {
        return kErrorBadArgument;
    }
    advanceLocked();
    const auto profile =
        SpeedProfile::constantSpeed(startSpeed, maxSpeed, std::max(accelTime, 0.0), shape);
    return startSingle(axis, kind, profile, maxSpeed < 0 ? -1 : 1, 0.0);
}

int SimulatedMachine::startLine(int16_t totalAxes, const int16_t* axes, const int32_t* values,
                                bool absolute, int32_t startSpeed, int32_t maxSpeed,
                                double accelTime) {
    std::lock_guard lock(mutex_);
    if (totalAxes != 2 || axes == nullptr || values == nullptr) {
        return kErrorBadArgument;
    }
    const int16_t a = axes[0];
    const int16_t b = axes[1];
    if (!axisPresent(a) || !axisPresent(b)) {
        return kErrorNoSuchPoint;
    }
    if (a == b || maxSpeed == 0 || !finite(accelTime)) {
        return kErrorBadArgument;
    }
    advanceLocked();
    separate(a);
    separate(b);
    const std::array<int16_t, 2> ids{a, b};
    std::array<double, 2> from{};
    std::array<double, 2> target{};
    std::array<double, 2> delta{};
    for (int k = 0; k < 2; ++k) {
        SimAxis& axis = axes_[ids[k]];
        from[k] = std::round(axis.position(time_));
        target[k] = absolute ? std::round(values[k] + axis.commandOffset()) : from[k] + values[k];
        delta[k] = target[k] - from[k];
    }
    const double length = std::hypot(delta[0], delta[1]);
    const bool blocked = (delta[0] != 0 && axes_[a].blockedToward(time_, delta[0] > 0 ? 1 : -1)) ||
                         (delta[1] != 0 && axes_[b].blockedToward(time_, delta[1] > 0 ? 1 : -1));
    const auto profile = SpeedProfile::pointToPoint(length, startSpeed, maxSpeed,
                                                    std::max(accelTime, 0.0), RampShape::Linear);
    for (int k = 0; k < 2; ++k) {
        SimAxis& axis = axes_[ids[k]];
        if (blocked) {
            // A line starting into an active limit does not move either axis.
            axis.start(time_, SimAxis::MoveKind::PointToPoint, SpeedProfile{}, 0, from[k]);
            axis.finish({time_, from[k], kDoneLimit});
        } else {
            const double scale = length > 0 ? delta[k] / length : 0.0;
            axis.start(time_, SimAxis::MoveKind::PointToPoint, profile, scale, target[k]);
        }
    }
    if (axes_[a].moving() && axes_[b].moving()) {
        axes_[a].setPartner(b);
        axes_[b].setPartner(a);
    } else if (a <= index(Axis::Y) || b <= index(Axis::Y)) {
        recordPlatformStop(time_, axes_[a].doneCode());
    }
    return kOk;
}

int SimulatedMachine::boardInit() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return cards_;
}

int SimulatedMachine::setPulseOutputMode(int16_t axis, int32_t mode) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    axes_[axis].pulseMode = mode;
    return kOk;
}

int SimulatedMachine::setSProfile(int16_t axis, double sPara) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    axes_[axis].sProfile = sPara;
    return kOk;
}

int SimulatedMachine::startTMove(int16_t axis, int32_t distance, int32_t startSpeed,
                                 int32_t maxSpeed, double accelTime) {
    return startPointToPoint(axis, true, distance, startSpeed, maxSpeed, accelTime, RampShape::Linear);
}

int SimulatedMachine::startSMove(int16_t axis, int32_t distance, int32_t startSpeed,
                                 int32_t maxSpeed, double accelTime) {
    return startPointToPoint(axis, true, distance, startSpeed, maxSpeed, accelTime, RampShape::SCurve);
}

int SimulatedMachine::startTaMove(int16_t axis, int32_t target, double startSpeed, double maxSpeed,
                                  double accelTime) {
    return startPointToPoint(axis, false, target, startSpeed, maxSpeed, accelTime, RampShape::Linear);
}

int SimulatedMachine::startSaMove(int16_t axis, int32_t target, int32_t startSpeed,
                                  int32_t maxSpeed, double accelTime) {
    return startPointToPoint(axis, false, target, startSpeed, maxSpeed, accelTime, RampShape::SCurve);
}

int SimulatedMachine::startTvMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed,
                                  double accelTime) {
    return startConstant(axis, startSpeed, maxSpeed, accelTime, RampShape::Linear,
                         SimAxis::MoveKind::ConstantSpeed);
}

int SimulatedMachine::startSvMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed,
                                  double accelTime) {
    return startConstant(axis, startSpeed, maxSpeed, accelTime, RampShape::SCurve,
                         SimAxis::MoveKind::ConstantSpeed);
}

int SimulatedMachine::homeMove(int16_t axis, int32_t startSpeed, int32_t maxSpeed,
                               double accelTime) {
    return startConstant(axis, startSpeed, maxSpeed, accelTime, RampShape::Linear,
                         SimAxis::MoveKind::Home);
}

int SimulatedMachine::startTLine(int16_t totalAxes, const int16_t* axes, const int32_t* distances,
                                 int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return startLine(totalAxes, axes, distances, false, startSpeed, maxSpeed, accelTime);
}

int SimulatedMachine::startTaLine(int16_t totalAxes, const int16_t* axes, const int32_t* targets,
                                  int32_t startSpeed, int32_t maxSpeed, double accelTime) {
    return startLine(totalAxes, axes, targets, true, startSpeed, maxSpeed, accelTime);
}

int SimulatedMachine::checkDone(int16_t axis) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    advanceLocked();
    return axes_[axis].doneCode();
}

int32_t SimulatedMachine::getCommandPos(int16_t axis) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return 0;
    }
    advanceLocked();
    return toInt32(axes_[axis].position(time_) - axes_[axis].commandOffset());
}

int SimulatedMachine::setCommandPos(int16_t axis, double position) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    if (!finite(position)) {
        return kErrorBadArgument;
    }
    advanceLocked();
    axes_[axis].setCommandOffset(axes_[axis].position(time_) - position);
    return kOk;
}

int SimulatedMachine::getAxisStatus(int16_t axis) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return 0;
    }
    advanceLocked();
    const SimAxis& a = axes_[axis];
    const double p = a.position(time_);
    int status = 0;
    auto set = [&status](int bit, bool on) {
        if (on && bit >= 0 && bit < 31) {
            status |= 1 << bit;
        }
    };
    set(config_.statusBitNegativeLimit, a.negativeLimitAt(p));
    set(config_.statusBitPositiveLimit, a.positiveLimitAt(p));
    set(config_.statusBitOrigin, a.originAt(p));
    return status;
}

int SimulatedMachine::decelStop(int16_t axis) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    advanceLocked();
    const int partner = axes_[axis].partner();
    axes_[axis].decelerate(time_);
    if (partner >= 0) {
        axes_[partner].decelerate(time_);
    }
    if (!axes_[axis].moving() && axes_[axis].doneCode() == kDoneDecelStop) {
        // Already slow enough to stop at once.
        if (partner >= 0) {
            axes_[partner].stopNow(time_, kDoneDecelStop);
        }
        if (axis <= index(Axis::Y) || (partner >= 0 && partner <= index(Axis::Y))) {
            recordPlatformStop(time_, kDoneDecelStop);
        }
    }
    return kOk;
}

int SimulatedMachine::immediateStop(int16_t axis) {
    std::lock_guard lock(mutex_);
    if (!axisPresent(axis)) {
        return kErrorNoSuchPoint;
    }
    advanceLocked();
    const int partner = axes_[axis].partner();
    const bool wasMoving = axes_[axis].moving();
    axes_[axis].stopNow(time_, kDoneImmediateStop);
    if (partner >= 0) {
        axes_[partner].stopNow(time_, kDoneImmediateStop);
    }
    if (wasMoving && (axis <= index(Axis::Y) || (partner >= 0 && partner <= index(Axis::Y)))) {
        recordPlatformStop(time_, kDoneImmediateStop);
    }
    return kOk;
}

// ---------------------------------------------------------------- digital I/O

bool SimulatedMachine::outputOnLocked(Output output) const {
    const WiredPoint& w = wiring(output);
    return outputs_[w.libraryBit()] == w.activeLevel;
}

void SimulatedMachine::applyOutputs() {
    const int64_t t = time_;
    auto drive = [&](Cylinder c, bool toTarget) { cylinders_[index(c)].command(t, toTarget); };
    drive(Cylinder::Cta, outputOnLocked(Output::Cta));
    drive(Cylinder::ForfexSeat, outputOnLocked(Output::ForfexSeat));
    drive(Cylinder::Forfex, outputOnLocked(Output::Forfex));
    drive(Cylinder::LoadLift, outputOnLocked(Output::LoadLift));
    drive(Cylinder::UnloadLift, outputOnLocked(Output::UnloadLift));
    drive(Cylinder::Fixing,
          !outputOnLocked(Output::PcbFixing1) && !outputOnLocked(Output::PcbFixing2));
    drive(Cylinder::PaperCut, outputOnLocked(Output::PaperCut));
    drive(Cylinder::PaperCutFront, outputOnLocked(Output::PaperCutFront));
    for (int s = 1; s <= kStationCount; ++s) {
        const WiredPoint w = stationOutputWiring(s);
        chain_.setStationOutput(s, outputs_[w.libraryBit()] == w.activeLevel, t);
    }
}

bool SimulatedMachine::namedInputActive(Input input) const {
    const int64_t t = time_;
    auto cylinder = [this](Cylinder c) -> const SimCylinder& { return cylinders_[index(c)]; };
    using Sensor = BoardTransport::Sensor;
    switch (input) {
        case Input::ForfexSeatTarget:
            return cylinder(Cylinder::Forfex).atTarget(t);
        case Input::ForfexManual:
            return buttons_[static_cast<int>(Button::ForfexManual)];
        case Input::LeftCheck:
            return t < leftLeadUntil_;
        case Input::RightCheck:
            return t < rightLeadUntil_;
        case Input::ForfexSeatOrigin:
            return cylinder(Cylinder::ForfexSeat).atOrigin(t);
        case Input::Start:
            return buttons_[static_cast<int>(Button::Start)];
        case Input::Stop:
            return buttons_[static_cast<int>(Button::Stop)];
        case Input::EmergencyStop:
            return buttons_[static_cast<int>(Button::EmergencyStop)];
        case Input::CtaTarget:
            return cylinder(Cylinder::Cta).atTarget(t);
        case Input::CtaOrigin:
            return cylinder(Cylinder::Cta).atOrigin(t);
        case Input::HReturnOrigin:
            return buttons_[static_cast<int>(Button::HReturnOrigin)];
        case Input::SafeDoor:
            return doorClosed_;
        case Input::FeederReturn:
            return chain_.returnDetected(t);
        case Input::PcbArriveWorkdesk:
            return transport_.sensor(Sensor::WorkdeskArrived);
        case Input::PcbFixing:
            return cylinder(Cylinder::Fixing).atTarget(t);
        case Input::LoadLiftCheckpoint1:
            return transport_.sensor(Sensor::LoadCheckpoint1);
        case Input::LoadLiftCheckpoint2:
            return transport_.sensor(Sensor::LoadCheckpoint2);
        case Input::UnloadLiftCheckpoint1:
            return transport_.sensor(Sensor::UnloadCheckpoint1);
        case Input::UnloadLiftCheckpoint2:
            return transport_.sensor(Sensor::UnloadCheckpoint2);
        case Input::LoadLiftOrigin:
            return cylinder(Cylinder::LoadLift).atOrigin(t);
        case Input::LoadLiftTarget:
            return cylinder(Cylinder::LoadLift).atTarget(t);
        case Input::UnloadLiftOrigin:
            return cylinder(Cylinder::UnloadLift).atOrigin(t);
        case Input::UnloadLiftTarget:
            return cylinder(Cylinder::UnloadLift).atTarget(t);
        case Input::NextMachineNeeds:
            return transport_.nextMachineAsks();
    }
    return false;
}

int SimulatedMachine::inputLevelLocked(int libraryBit) const {
    const int activeLevel = inputActiveLevel(libraryBit);
    if (!bitPresent(libraryBit)) {
        return 1 - activeLevel;
    }
    const auto source = inputAt(libraryBit);
    int level = 1;
    if (source) {
        const bool active = source->kind == InputSource::Kind::Named
                                ? namedInputActive(static_cast<Input>(source->index))
                                : chain_.stationInputActive(source->index);
        level = active ? activeLevel : 1 - activeLevel;
    }
    const InputOverride& o = overrides_[libraryBit];
    if (o.inverted) {
        level ^= 1;
    }
    if (o.stuck) {
        level = *o.stuck;
    }
    return level;
}

int SimulatedMachine::inBit(int16_t bitNo) {
    std::lock_guard lock(mutex_);
    if (bitNo < 0 || bitNo > kMaxLibraryBit) {
        return 1;
    }
    advanceLocked();
    return inputLevelLocked(bitNo);
}

int SimulatedMachine::getOutBit(int16_t bitNo) {
    std::lock_guard lock(mutex_);
    if (!bitPresent(bitNo)) {
        return 1;
    }
    return outputs_[bitNo];
}

int SimulatedMachine::outBit(int16_t bitNo, int16_t level) {
    std::lock_guard lock(mutex_);
    if (!bitPresent(bitNo)) {
        return kErrorNoSuchPoint;
    }
    advanceLocked();
    const int value = (level & 1) != 0 ? 1 : 0;
    if (outputs_[bitNo] != value) {
        outputs_[bitNo] = value;
        outputLog_.push_back({seconds(time_), bitNo, value});
        while (outputLog_.size() > config_.outputLogCapacity) {
            outputLog_.pop_front();
        }
        applyOutputs();
    }
    return kOk;
}

// ---------------------------------------------------------------- chain, head, boards

double SimulatedMachine::chainPosition(int64_t t) const {
    return physicalUnits(index(Axis::L), t);
}

BoardTransport::Drive SimulatedMachine::drive() const {
    const int64_t t = time_;
    BoardTransport::Drive d;
    d.loadBelt = outputOnLocked(Output::LoadLiftBelt);
    d.workdeskBelt = outputOnLocked(Output::WorkdeskBelt);
    d.unloadBelt = outputOnLocked(Output::UnloadLiftBelt);
    d.askForPcb = outputOnLocked(Output::AskForPcb);
    d.loadLiftDown = cylinders_[index(Cylinder::LoadLift)].atOrigin(t);
    d.loadLiftUp = cylinders_[index(Cylinder::LoadLift)].atTarget(t);
    d.unloadLiftDown = cylinders_[index(Cylinder::UnloadLift)].atOrigin(t);
    d.unloadLiftUp = cylinders_[index(Cylinder::UnloadLift)].atTarget(t);
    d.stopperRaised = !outputOnLocked(Output::PcbFixing2);
    d.boardClamped = cylinders_[index(Cylinder::Fixing)].atTarget(t);
    return d;
}

void SimulatedMachine::reachedTarget(Cylinder cylinder) {
    switch (cylinder) {
        case Cylinder::Cta: {
            const auto component = chain_.takeAtCta(chainPosition(time_));
            if (!component) {
                ++counters_.ctaPushesWithoutComponent;
                return;
            }
            ++counters_.componentsPicked;
            if (head_) {
                losses_.push_back(
                    {seconds(time_), head_->station, head_->id, "head already held a component"});
                ++counters_.componentsLost;
            }
            head_ = component;
            return;
        }
        case Cylinder::Forfex:
            cut();
            return;
        case Cylinder::PaperCut:
            ++counters_.paperCuts;
            return;
        default:
            return;
    }
}

bool SimulatedMachine::leadSeen() {
    // 53 random bits as a fraction in [0, 1): the same on every standard library.
    const double draw = static_cast<double>(random_() >> 11) * 0x1.0p-53;
    return draw >= leadFailureRate_;
}

void SimulatedMachine::cut() {
    if (!head_) {
        ++counters_.emptyCuts;
        return;
    }
    bool left = true;
    bool right = true;
    if (!queuedLeads_.empty()) {
        std::tie(left, right) = queuedLeads_.front();
        queuedLeads_.pop_front();
    } else {
        left = leadSeen();
        right = leadSeen();
    }
    const auto signal = static_cast<int64_t>(config_.head.leadSignalSeconds * 1e9);
    if (left) {
        leftLeadUntil_ = time_ + signal;
    }
    if (right) {
        rightLeadUntil_ = time_ + signal;
    }
    const auto board = transport_.boardOnWorkdesk();
    InsertionRecord record;
    record.boardId = board.value_or(-1);
    record.station = head_->station;
    record.componentId = head_->id;
    record.x = commandUnits(index(Axis::X), time_);
    record.y = commandUnits(index(Axis::Y), time_);
    record.headHeight = physicalUnits(index(Axis::H), time_);
    record.leftLeadSeen = left;
    record.rightLeadSeen = right;
    record.time = seconds(time_);
    insertions_.push_back(record);
    if (board) {
        transport_.recordInsertion(*board, head_->station);
        Placement p = placementAt(*scene_, {physicalUnits(index(Axis::X), time_),
                                            physicalUnits(index(Axis::Y), time_)});
        p.boardId = *board;
        p.station = head_->station;
        p.componentId = head_->id;
        p.headDegrees = physicalUnits(index(Axis::D1), time_) * 18.0;
        p.time = seconds(time_);
        placements_.push_back(p);
    }
    ++counters_.componentsInserted;
    head_.reset();
}

// ---------------------------------------------------------------- operator, neighbours

void SimulatedMachine::pressButton(Button button) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    buttons_[static_cast<int>(button)] = true;
}

void SimulatedMachine::releaseButton(Button button) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    buttons_[static_cast<int>(button)] = false;
}

bool SimulatedMachine::buttonPressed(Button button) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return buttons_[static_cast<int>(button)];
}

void SimulatedMachine::tapButton(Button button, double seconds) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    buttons_[static_cast<int>(button)] = true;
    schedule({time_ + std::llround(std::max(seconds, 0.0) * 1e9), false, static_cast<int>(button),
              false});
}

void SimulatedMachine::scheduleButton(Button button, bool pressed, double atSeconds) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    schedule({std::llround(atSeconds * 1e9), false, static_cast<int>(button), pressed});
}

void SimulatedMachine::setSafeDoorClosed(bool closed) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    doorClosed_ = closed;
}

bool SimulatedMachine::safeDoorClosed() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return doorClosed_;
}

void SimulatedMachine::scheduleSafeDoor(bool closed, double atSeconds) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    schedule({std::llround(atSeconds * 1e9), true, 0, closed});
}

void SimulatedMachine::setNextMachineAsking(bool asking) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    transport_.setNextMachineAsks(asking);
}

bool SimulatedMachine::nextMachineAsking() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.nextMachineAsks();
}

void SimulatedMachine::setPreviousMachineSupplying(bool supplying) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    transport_.setPreviousMachineSupplies(supplying);
}

bool SimulatedMachine::previousMachineSupplying() {
    std::lock_guard lock(mutex_);
    return transport_.previousMachineSupplies();
}

std::optional<int> SimulatedMachine::placeBoardOnWorkdesk() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.placeOnWorkdesk(seconds(time_));
}

int SimulatedMachine::removeBoardsFromLoadLift() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.removeFromLoadLift();
}

int SimulatedMachine::removeBoardsFromWorkdesk() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.removeFromWorkdesk();
}

int SimulatedMachine::removeBoardsFromUnloadLift() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.removeFromUnloadLift();
}

// ---------------------------------------------------------------- faults

void SimulatedMachine::injectDoubleBoard() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    transport_.armDoubleBoard();
}

void SimulatedMachine::setFeederParts(int station, long parts) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    chain_.setParts(station, parts);
}

long SimulatedMachine::feederParts(int station) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return chain_.parts(station);
}

void SimulatedMachine::setLeadFailureRate(double rate) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    leadFailureRate_ = std::clamp(finite(rate) ? rate : 0.0, 0.0, 1.0);
}

double SimulatedMachine::leadFailureRate() {
    std::lock_guard lock(mutex_);
    return leadFailureRate_;
}

void SimulatedMachine::queueLeadResult(bool leftSeen, bool rightSeen) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    queuedLeads_.emplace_back(leftSeen, rightSeen);
}

void SimulatedMachine::setCylinderJammed(Cylinder cylinder, bool jammed) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    cylinders_[index(cylinder)].setJammed(time_, jammed);
}

bool SimulatedMachine::cylinderJammed(Cylinder cylinder) {
    std::lock_guard lock(mutex_);
    return cylinders_[index(cylinder)].jammed();
}

void SimulatedMachine::setCylinderSlowdown(Cylinder cylinder, double factor) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    cylinders_[index(cylinder)].setSlowdown(time_, finite(factor) ? std::max(factor, 0.0) : 1.0);
}

void SimulatedMachine::stickInput(Input input, int level) {
    stickInputBit(wiring(input).libraryBit(), level);
}

void SimulatedMachine::stickInputBit(int libraryBit, int level) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    if (libraryBit >= 0 && libraryBit <= kMaxLibraryBit) {
        overrides_[libraryBit].stuck = level != 0 ? 1 : 0;
    }
}

void SimulatedMachine::invertInput(Input input, bool inverted) {
    invertInputBit(wiring(input).libraryBit(), inverted);
}

void SimulatedMachine::invertInputBit(int libraryBit, bool inverted) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    if (libraryBit >= 0 && libraryBit <= kMaxLibraryBit) {
        overrides_[libraryBit].inverted = inverted;
    }
}

void SimulatedMachine::releaseInput(Input input) {
    releaseInputBit(wiring(input).libraryBit());
}

void SimulatedMachine::releaseInputBit(int libraryBit) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    if (libraryBit >= 0 && libraryBit <= kMaxLibraryBit) {
        overrides_[libraryBit] = {};
    }
}

void SimulatedMachine::clearFaults() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    for (auto& o : overrides_) {
        o = {};
    }
    for (auto& c : cylinders_) {
        c.setJammed(time_, false);
        c.setSlowdown(time_, 1.0);
    }
    for (int s = 1; s <= kStationCount; ++s) {
        chain_.setParts(s, std::max(chain_.parts(s), config_.chain.feederParts[s - 1]));
    }
    leadFailureRate_ = config_.head.leadFailureRate;
    queuedLeads_.clear();
    transport_.setNextMachineAsks(config_.transport.nextMachineAsks);
    transport_.setPreviousMachineSupplies(config_.transport.previousMachineSupplies);
    transport_.disarmDoubleBoard();
}

// ---------------------------------------------------------------- test set-up and state

void SimulatedMachine::placeAxis(Axis axis, double position) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    const int a = index(axis);
    separate(a);
    axes_[a].placeAt(std::round(position * axes_[a].config().pulsesPerUnit));
    if (axis == Axis::H) {
        headDown_ = physicalUnits(a, time_) < config_.head.headDownThreshold;
    }
}

double SimulatedMachine::axisPosition(Axis axis) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return physicalUnits(index(axis), time_);
}

double SimulatedMachine::axisCommandPosition(Axis axis) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return commandUnits(index(axis), time_);
}

int SimulatedMachine::pulseOutputMode(Axis axis) {
    std::lock_guard lock(mutex_);
    return axes_[index(axis)].pulseMode;
}

double SimulatedMachine::sProfileParameter(Axis axis) {
    std::lock_guard lock(mutex_);
    return axes_[index(axis)].sProfile;
}

int SimulatedMachine::inputLevel(Input input) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return inputLevelLocked(wiring(input).libraryBit());
}

bool SimulatedMachine::inputActive(Input input) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    const WiredPoint& w = wiring(input);
    return inputLevelLocked(w.libraryBit()) == w.activeLevel;
}

int SimulatedMachine::inputBitLevel(int libraryBit) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    if (libraryBit < 0 || libraryBit > kMaxLibraryBit) {
        return 1;
    }
    return inputLevelLocked(libraryBit);
}

bool SimulatedMachine::outputOn(Output output) {
    std::lock_guard lock(mutex_);
    return outputOnLocked(output);
}

int SimulatedMachine::outputBitLevel(int libraryBit) {
    std::lock_guard lock(mutex_);
    if (libraryBit < 0 || libraryBit > kMaxLibraryBit) {
        return 1;
    }
    return outputs_[libraryBit];
}

bool SimulatedMachine::stationOutputOn(int station) {
    std::lock_guard lock(mutex_);
    return chain_.stationOutputOn(station);
}

double SimulatedMachine::cylinderPosition(Cylinder cylinder) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return cylinders_[index(cylinder)].position(time_);
}

std::optional<int> SimulatedMachine::headComponentStation() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    if (!head_) {
        return std::nullopt;
    }
    return head_->station;
}

std::vector<ChainComponent> SimulatedMachine::chainComponents() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return chain_.components(chainPosition(time_));
}

std::vector<BoardOnLine> SimulatedMachine::boardsOnLine() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.boardsOnLine();
}

std::vector<InsertionRecord> SimulatedMachine::insertions() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return insertions_;
}

std::vector<int> SimulatedMachine::insertedStations(int boardId) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    const auto& records = transport_.records();
    if (boardId < 1 || boardId > static_cast<int>(records.size())) {
        return {};
    }
    return records[boardId - 1].insertedStations;
}

std::vector<BoardRecord> SimulatedMachine::boards() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.records();
}

int SimulatedMachine::boardsDelivered() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return transport_.delivered();
}

std::vector<HeadDownEvent> SimulatedMachine::headDownEvents() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return headDownEvents_;
}

std::vector<PlatformStop> SimulatedMachine::platformStops() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return platformStops_;
}

std::vector<OutputChange> SimulatedMachine::outputLog() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return {outputLog_.begin(), outputLog_.end()};
}

std::vector<ComponentLoss> SimulatedMachine::lostComponents() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return losses_;
}

MachineCounters SimulatedMachine::counters() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return counters_;
}

std::array<int, kStationCount> SimulatedMachine::stationDrops() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return chain_.drops();
}

void SimulatedMachine::clearRecords() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    insertions_.clear();
    headDownEvents_.clear();
    platformStops_.clear();
    outputLog_.clear();
    losses_.clear();
    placements_.clear();
}

// ---------------------------------------------------------------- board scene

void SimulatedMachine::setBoardScene(const BoardSceneConfig& scene) {
    std::lock_guard lock(mutex_);
    advanceLocked();
    config_.scene = scene;
    scene_ = std::make_shared<const BoardSceneConfig>(scene);
}

CameraSnapshot SimulatedMachine::cameraSnapshot() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    CameraSnapshot s;
    s.platform = {physicalUnits(index(Axis::X), time_), physicalUnits(index(Axis::Y), time_)};
    s.lightOn = outputOnLocked(Output::CameraLight);
    s.boardOnWorkdesk = transport_.boardOnWorkdesk().has_value();
    s.scene = scene_;
    return s;
}

std::vector<Placement> SimulatedMachine::placements() {
    std::lock_guard lock(mutex_);
    advanceLocked();
    return placements_;
}

}  // namespace corvane::sim
