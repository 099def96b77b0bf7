// One axis of the simulated motion cards: its position follows the running
// speed profile, its limit and origin switches are windows on that position,
// and the card's done code tells how the last move ended.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/machine/machine_config.h"
#include "sim/machine/motion_profile.h"

namespace corvane::sim {

// Done codes of d1000_check_done.
inline constexpr int kDoneMoving = 0;
inline constexpr int kDoneNormal = 1;         // target reached, or a home move found its origin
inline constexpr int kDoneImmediateStop = 2;  // stopped by d1000_immediate_stop
inline constexpr int kDoneLimit = 3;          // stopped at a limit switch
inline constexpr int kDoneDecelStop = 4;      // stopped by d1000_decel_stop

class SimAxis {
  public:
    enum class MoveKind { PointToPoint, ConstantSpeed, Home, Deceleration };

    // A way the running move ends inside a time span.
    struct Event {
        int64_t time = 0;  // clock nanoseconds
        double position = 0;
        int doneCode = kDoneNormal;
    };

    // Power-on: at rest at the configured position, command counter 0.
    void reset(const AxisConfig& config);
    const AxisConfig& config() const { return config_; }

    // Switches at a physical position in pulses.
    bool negativeLimitAt(double pulses) const { return pulses <= negativeLimit_; }
    bool positiveLimitAt(double pulses) const { return pulses >= positiveLimit_; }
    bool originAt(double pulses) const;
    // True when a move in direction `direction` (+1/-1) would start on the
    // limit switch it runs into.
    bool blockedToward(int64_t t, int direction) const;

    // Physical position (whole pulses) and speed (pulses/s, >= 0) at time t,
    // which must not lie before the last event handled.
    double position(int64_t t) const;
    double speed(int64_t t) const;
    bool moving() const { return moving_; }
    int doneCode() const { return moving_ ? kDoneMoving : doneCode_; }
    MoveKind kind() const { return kind_; }

    // Command position = physical position - offset.
    double commandOffset() const { return offset_; }
    void setCommandOffset(double offset) { offset_ = offset; }

    // Starts a move at time t. `scale` converts the profile's distance to this
    // axis's pulses and carries the direction (+1 or -1 for a single axis, the
    // axis's share of the path for a linear move). A point-to-point move ends
    // exactly on `target` (physical pulses). A move that would start into its
    // active limit switch ends at once with done code 3; a home move starting
    // on the origin ends at once with done code 1.
    void start(int64_t t, MoveKind kind, const SpeedProfile& profile, double scale, double target);
    // The first way the running move ends in (from, to], if any: its end, a
    // limit switch met in the direction of travel, or (home moves) the origin.
    std::optional<Event> nextEvent(int64_t from, int64_t to) const;
    void finish(const Event& event);
    // Ends the move now where it is.
    void stopNow(int64_t t, int doneCode);
    // Replaces the move by a deceleration to its start speed.
    void decelerate(int64_t t);
    // Puts the axis at rest at a physical position (test set-up).
    void placeAt(double pulses);

    // The axis moving together with this one in a linear move, or -1.
    int partner() const { return partner_; }
    void setPartner(int axis) { partner_ = axis; }

    // Stored for the program's sake; they do not change the simulation.
    int pulseMode = 0;
    double sProfile = 0;

  private:
    double distanceNs(int64_t t) const;
    std::optional<double> originEntry(double from, int direction) const;

    AxisConfig config_;
    double negativeLimit_ = 0;  // pulses
    double positiveLimit_ = 0;
    double originLow_ = 0;
    double originHigh_ = 0;
    double originPeriod_ = 0;

    double position_ = 0;  // at rest, or where the running move started
    double offset_ = 0;
    bool moving_ = false;
    int doneCode_ = kDoneNormal;
    MoveKind kind_ = MoveKind::PointToPoint;
    SpeedProfile profile_;
    int64_t start_ = 0;
    double scale_ = 1;
    double target_ = 0;
    std::optional<double> originEntry_;  // home moves: where the origin switch becomes active
    int partner_ = -1;
};

}  // namespace corvane::sim
