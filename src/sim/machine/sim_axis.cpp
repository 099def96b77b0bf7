// Axis motion, switches and done codes of the simulated cards.
#include "sim/machine/sim_axis.h"

#include <algorithm>
#include <cmath>

namespace corvane::sim {

namespace {

double seconds(int64_t ns) {
    return static_cast<double>(ns) * 1e-9;
}

int sign(double v) {
    return v > 0 ? 1 : (v < 0 ? -1 : 0);
}

// The whole pulse where a move stops on a switch edge, on the switch's side.
double snapAbove(double edge) {
    return std::ceil(edge - 1e-6);
}
double snapBelow(double edge) {
    return std::floor(edge + 1e-6);
}

}  // namespace

void SimAxis::reset(const AxisConfig& config) {
    config_ = config;
    const double u = config.pulsesPerUnit;
    negativeLimit_ = config.negativeLimit * u;
    positiveLimit_ = config.positiveLimit * u;
    originLow_ = config.originLow * u;
    originHigh_ = config.originHigh * u;
    originPeriod_ = config.originPeriod * u;
    position_ = std::round(config.powerOnPosition * u);
    offset_ = position_;
    moving_ = false;
    doneCode_ = kDoneNormal;
    kind_ = MoveKind::PointToPoint;
    profile_ = {};
    partner_ = -1;
    pulseMode = 0;
    sProfile = 0;
}

bool SimAxis::originAt(double p) const {
    if (originPeriod_ > 0) {
        const double m = p - originPeriod_ * std::floor((p - originLow_) / originPeriod_);
        return m <= originHigh_;
    }
    return p >= originLow_ && p <= originHigh_;
}

std::optional<double> SimAxis::originEntry(double from, int direction) const {
    if (originPeriod_ > 0) {
        if (direction > 0) {
            return originLow_ +
                   originPeriod_ * (std::floor((from - originLow_) / originPeriod_) + 1);
        }
        return originHigh_ + originPeriod_ * (std::ceil((from - originHigh_) / originPeriod_) - 1);
    }
    if (direction > 0 && originLow_ > from) {
        return originLow_;
    }
    if (direction < 0 && originHigh_ < from) {
        return originHigh_;
    }
    return std::nullopt;
}

bool SimAxis::blockedToward(int64_t t, int direction) const {
    const double p = position(t);
    return (direction > 0 && positiveLimitAt(p)) || (direction < 0 && negativeLimitAt(p));
}

double SimAxis::distanceNs(int64_t t) const {
    return profile_.distanceAt(std::max(0.0, seconds(t - start_)));
}

double SimAxis::position(int64_t t) const {
    if (!moving_) {
        return position_;
    }
    // Whole pulses put out so far: the switches see the same position the
    // counter reports.
    return position_ + std::trunc(scale_ * distanceNs(t));
}

double SimAxis::speed(int64_t t) const {
    if (!moving_) {
        return 0.0;
    }
    return std::abs(scale_) * profile_.speedAt(std::max(0.0, seconds(t - start_)));
}

void SimAxis::start(int64_t t, MoveKind kind, const SpeedProfile& profile, double scale,
                    double target) {
    const double here = position(t);
    const int direction = sign(scale);
    position_ = here;
    moving_ = false;
    partner_ = -1;
    kind_ = kind;
    if (direction != 0 && blockedToward(t, direction)) {
        doneCode_ = kDoneLimit;
        return;
    }
    if (kind == MoveKind::Home && originAt(here)) {
        doneCode_ = kDoneNormal;
        return;
    }
    if (kind == MoveKind::PointToPoint && profile.duration() <= 0) {
        position_ = target;
        doneCode_ = kDoneNormal;
        return;
    }
    moving_ = true;
    profile_ = profile;
    start_ = t;
    scale_ = scale;
    target_ = target;
    originEntry_ = kind == MoveKind::Home ? originEntry(here, direction) : std::nullopt;
}

std::optional<SimAxis::Event> SimAxis::nextEvent(int64_t from, int64_t to) const {
    if (!moving_) {
        return std::nullopt;
    }
    const double duration = profile_.duration();
    const double tau = std::min(seconds(to - start_), duration);
    const double reached = position_ + scale_ * profile_.distanceAt(tau);
    const int direction = sign(scale_);

    auto at = [&](double edge) {
        // Time when the position passes `edge` (the move is monotonic).
        const double when = profile_.timeToReach((edge - position_) / scale_);
        const auto ns = start_ + static_cast<int64_t>(std::ceil(when * 1e9));
        return std::clamp(ns, from, to);
    };

    std::optional<Event> best;
    auto consider = [&](const Event& e) {
        if (!best || e.time < best->time) {
            best = e;
        }
    };
    if (direction > 0 && reached >= positiveLimit_) {
        consider({at(positiveLimit_), snapAbove(positiveLimit_), kDoneLimit});
    }
    if (direction < 0 && reached <= negativeLimit_) {
        consider({at(negativeLimit_), snapBelow(negativeLimit_), kDoneLimit});
    }
    if (originEntry_) {
        const double edge = *originEntry_;
        if ((direction > 0 && reached >= edge) || (direction < 0 && reached <= edge)) {
            const double width = originHigh_ - originLow_;
            double stop = direction > 0 ? snapAbove(edge) : snapBelow(edge);
            if (width < 1.0) {
                stop = edge;
            }
            consider({at(edge), stop, kDoneNormal});
        }
    }
    if (!std::isinf(duration) && seconds(to - start_) >= duration) {
        const auto end =
            std::clamp(start_ + static_cast<int64_t>(std::ceil(duration * 1e9)), from, to);
        if (!best || end < best->time) {
            if (kind_ == MoveKind::PointToPoint) {
                consider({end, target_, kDoneNormal});
            } else {
                consider({end, position_ + std::trunc(scale_ * profile_.distanceAt(duration)),
                          kDoneDecelStop});
            }
        }
    }
    return best;
}

void SimAxis::finish(const Event& event) {
    position_ = event.position;
    moving_ = false;
    doneCode_ = event.doneCode;
    partner_ = -1;
}

void SimAxis::stopNow(int64_t t, int doneCode) {
    if (!moving_) {
        return;
    }
    finish({t, position(t), doneCode});
}

void SimAxis::decelerate(int64_t t) {
    if (!moving_ || kind_ == MoveKind::Deceleration) {
        return;
    }
    const double tau = std::max(0.0, seconds(t - start_));
    const SpeedProfile slowing =
        SpeedProfile::deceleration(profile_.speedAt(tau), profile_.startSpeed(),
                                   profile_.maxSpeed(), profile_.accelTime(), profile_.shape());
    const double here = position(t);
    if (slowing.duration() <= 0) {
        finish({t, here, kDoneDecelStop});
        return;
    }
    position_ = here;
    profile_ = slowing;
    start_ = t;
    kind_ = MoveKind::Deceleration;
    originEntry_.reset();
}

void SimAxis::placeAt(double pulses) {
    position_ = pulses;
    moving_ = false;
    partner_ = -1;
}

}  // namespace corvane::sim
