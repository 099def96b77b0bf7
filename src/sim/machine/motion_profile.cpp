// Trapezoidal and S-curve speed profiles.
#include "sim/machine/motion_profile.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvane::sim {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Fraction of the speed change reached at ramp fraction u, and its integral.
double rampFraction(RampShape shape, double u) {
    if (shape == RampShape::Linear) {
        return u;
    }
    return u - std::sin(kTwoPi * u) / kTwoPi;
}

double rampIntegral(RampShape shape, double u) {
    if (shape == RampShape::Linear) {
        return u * u / 2.0;
    }
    return u * u / 2.0 + (std::cos(kTwoPi * u) - 1.0) / (kTwoPi * kTwoPi);
}

struct Ramp {
    double startSpeed;
    double maxSpeed;
    double time;  // 0 when the speed jumps straight to maxSpeed
};

Ramp makeRamp(double startSpeed, double maxSpeed, double accelTime) {
    const double vm = std::abs(maxSpeed);
    const double vs = std::min(std::abs(startSpeed), vm);
    const double time = (vm > vs && accelTime > 0) ? accelTime : 0.0;
    return {vs, vm, time};
}

}  // namespace

void SpeedProfile::add(double duration, double fromSpeed, double toSpeed) {
    if (duration > 0 && count_ < segments_.size()) {
        segments_[count_++] = {duration, fromSpeed, toSpeed};
    }
}

SpeedProfile SpeedProfile::pointToPoint(double distance, double startSpeed, double maxSpeed,
                                        double accelTime, RampShape shape) {
    SpeedProfile p;
    const Ramp r = makeRamp(startSpeed, maxSpeed, accelTime);
    p.startSpeed_ = r.startSpeed;
    p.maxSpeed_ = r.maxSpeed;
    p.accelTime_ = accelTime;
    p.shape_ = shape;
    distance = std::abs(distance);
    if (distance <= 0 || r.maxSpeed <= 0) {
        return p;
    }
    const double rampDistance = (r.startSpeed + r.maxSpeed) / 2.0 * r.time;
    if (2.0 * rampDistance <= distance) {
        p.add(r.time, r.startSpeed, r.maxSpeed);
        p.add((distance - 2.0 * rampDistance) / r.maxSpeed, r.maxSpeed, r.maxSpeed);
        p.add(r.time, r.maxSpeed, r.startSpeed);
        return p;
    }
    // Too short for the full ramp: same acceleration rate, lower peak.
    const double rate = (r.maxSpeed - r.startSpeed) / r.time;
    const double peak = std::sqrt(r.startSpeed * r.startSpeed + rate * distance);
    const double time = (peak - r.startSpeed) / rate;
    p.add(time, r.startSpeed, peak);
    p.add(time, peak, r.startSpeed);
    return p;
}

SpeedProfile SpeedProfile::constantSpeed(double startSpeed, double maxSpeed, double accelTime,
                                         RampShape shape) {
    SpeedProfile p;
    const Ramp r = makeRamp(startSpeed, maxSpeed, accelTime);
    p.startSpeed_ = r.startSpeed;
    p.maxSpeed_ = r.maxSpeed;
    p.accelTime_ = accelTime;
    p.shape_ = shape;
    if (r.maxSpeed <= 0) {
        return p;
    }
    p.add(r.time, r.startSpeed, r.maxSpeed);
    p.add(kInfinity, r.maxSpeed, r.maxSpeed);
    return p;
}

SpeedProfile SpeedProfile::deceleration(double speed, double startSpeed, double maxSpeed,
                                        double accelTime, RampShape shape) {
    SpeedProfile p;
    const Ramp r = makeRamp(startSpeed, maxSpeed, accelTime);
    p.startSpeed_ = r.startSpeed;
    p.maxSpeed_ = r.maxSpeed;
    p.accelTime_ = accelTime;
    p.shape_ = shape;
    if (r.time <= 0 || speed <= r.startSpeed) {
        return p;
    }
    const double rate = (r.maxSpeed - r.startSpeed) / r.time;
    p.add((speed - r.startSpeed) / rate, speed, r.startSpeed);
    return p;
}

double SpeedProfile::duration() const {
    double total = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        total += segments_[i].duration;
    }
    return total;
}

bool SpeedProfile::endless() const {
    return std::isinf(duration());
}

double SpeedProfile::segmentDistance(const ProfileSegment& s, double t) const {
    if (std::isinf(s.duration)) {
        return s.fromSpeed * t;
    }
    const double u = std::clamp(t / s.duration, 0.0, 1.0);
    return s.fromSpeed * u * s.duration +
           (s.toSpeed - s.fromSpeed) * s.duration * rampIntegral(shape_, u);
}

double SpeedProfile::segmentSpeed(const ProfileSegment& s, double t) const {
    if (std::isinf(s.duration) || s.fromSpeed == s.toSpeed) {
        return s.fromSpeed;
    }
    const double u = std::clamp(t / s.duration, 0.0, 1.0);
    return s.fromSpeed + (s.toSpeed - s.fromSpeed) * rampFraction(shape_, u);
}

double SpeedProfile::distanceAt(double t) const {
    double travelled = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const ProfileSegment& s = segments_[i];
        if (t < s.duration) {
            return travelled + segmentDistance(s, std::max(t, 0.0));
        }
        travelled += segmentDistance(s, s.duration);
        t -= s.duration;
    }
    return travelled;
}

double SpeedProfile::speedAt(double t) const {
    for (std::size_t i = 0; i < count_; ++i) {
        const ProfileSegment& s = segments_[i];
        if (t < s.duration) {
            return segmentSpeed(s, std::max(t, 0.0));
        }
        t -= s.duration;
    }
    return 0.0;
}

double SpeedProfile::timeToReach(double distance) const {
    if (distance <= 0) {
        return 0.0;
    }
    double travelled = 0;
    double elapsed = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const ProfileSegment& s = segments_[i];
        if (std::isinf(s.duration)) {
            return s.fromSpeed > 0 ? elapsed + (distance - travelled) / s.fromSpeed : kInfinity;
        }
        const double whole = segmentDistance(s, s.duration);
        if (travelled + whole >= distance) {
            // Distance grows monotonically inside a segment: bisect.
            double lo = 0;
            double hi = s.duration;
            for (int k = 0; k < 80 && hi - lo > 1e-12; ++k) {
                const double mid = (lo + hi) / 2.0;
                if (travelled + segmentDistance(s, mid) >= distance) {
                    hi = mid;
                } else {
                    lo = mid;
                }
            }
            return elapsed + hi;
        }
        travelled += whole;
        elapsed += s.duration;
    }
    return kInfinity;
}

}  // namespace corvane::sim
