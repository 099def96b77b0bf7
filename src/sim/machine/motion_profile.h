// Speed profiles of the simulated motion card: how far an axis has run a given
// time after its move started, for trapezoidal and S-curve moves.
#pragma once

#include <array>
#include <cstddef>

namespace corvane::sim {

// How the speed changes during acceleration and deceleration. Both shapes take
// the same time and cover the same distance for the same speeds: the S-curve
// speed is v0 + (v1 - v0) * (u - sin(2 pi u) / 2 pi) with u the ramp fraction.
enum class RampShape { Linear, SCurve };

// One piece of a profile: the speed goes from `fromSpeed` to `toSpeed` over
// `duration` seconds (a cruise when both are equal). Speeds are >= 0.
struct ProfileSegment {
    double duration = 0;
    double fromSpeed = 0;
    double toSpeed = 0;
};

// Distance travelled (always >= 0, along the direction of the move) as a
// function of the time since the move started. Distances and speeds are in
// whatever unit the caller uses (pulses and pulses/s on the card).
class SpeedProfile {
  public:
    SpeedProfile() = default;

    // Start speed -> max speed over accelTime, cruise, symmetric deceleration
    // back to the start speed. A move too short to reach max speed keeps the
    // acceleration rate and turns around at a lower peak. A start speed above
    // the max speed is lowered to it.
    static SpeedProfile pointToPoint(double distance, double startSpeed, double maxSpeed,
                                     double accelTime, RampShape shape);
    // The same ramp, then cruising at max speed without end.
    static SpeedProfile constantSpeed(double startSpeed, double maxSpeed, double accelTime,
                                      RampShape shape);
    // From `speed` down to the start speed at the rate the move's own ramp
    // (start speed, max speed, accelTime) implies; at or below the start speed
    // the profile is empty (the axis stops at once).
    static SpeedProfile deceleration(double speed, double startSpeed, double maxSpeed,
                                     double accelTime, RampShape shape);

    // Seconds until the profile ends; infinity for a constant-speed profile.
    double duration() const;
    bool endless() const;
    // Distance and speed at `t` seconds after the start (t is clamped to the profile).
    double distanceAt(double t) const;
    double speedAt(double t) const;
    // The first time at which the distance reaches `distance`; infinity when
    // the profile never gets that far.
    double timeToReach(double distance) const;

    double startSpeed() const { return startSpeed_; }
    double maxSpeed() const { return maxSpeed_; }
    double accelTime() const { return accelTime_; }
    RampShape shape() const { return shape_; }

  private:
    void add(double duration, double fromSpeed, double toSpeed);
    double segmentDistance(const ProfileSegment& segment, double t) const;
    double segmentSpeed(const ProfileSegment& segment, double t) const;

    std::array<ProfileSegment, 3> segments_{};
    std::size_t count_ = 0;
    double startSpeed_ = 0;
    double maxSpeed_ = 0;
    double accelTime_ = 0;
    RampShape shape_ = RampShape::Linear;
};

}  // namespace corvane::sim
