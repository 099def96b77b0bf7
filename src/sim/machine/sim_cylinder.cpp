// Timed cylinder travel.
#include "sim/machine/sim_cylinder.h"

#include <algorithm>

namespace corvane::sim {

namespace {
constexpr double kJamPoint = 0.5;
}

void SimCylinder::reset(double travelSeconds, bool toTarget, int64_t t) {
    travel_ = std::max(travelSeconds, 0.0);
    slowdown_ = 1.0;
    jammed_ = false;
    toTarget_ = toTarget;
    anchorTime_ = t;
    anchorPosition_ = toTarget ? 1.0 : 0.0;
}

double SimCylinder::position(int64_t t) const {
    const double time = travel_ * slowdown_;
    const double moved = time > 0 ? static_cast<double>(t - anchorTime_) * 1e-9 / time : 2.0;
    if (toTarget_) {
        const double end = jammed_ ? std::max(anchorPosition_, kJamPoint) : 1.0;
        return std::min(anchorPosition_ + std::max(moved, 0.0), end);
    }
    const double end = jammed_ ? std::min(anchorPosition_, kJamPoint) : 0.0;
    return std::max(anchorPosition_ - std::max(moved, 0.0), end);
}

void SimCylinder::reanchor(int64_t t) {
    anchorPosition_ = position(t);
    anchorTime_ = t;
}

void SimCylinder::command(int64_t t, bool toTarget) {
    if (toTarget == toTarget_) {
        return;
    }
    reanchor(t);
    toTarget_ = toTarget;
}

void SimCylinder::setSlowdown(int64_t t, double factor) {
    reanchor(t);
    slowdown_ = std::max(factor, 0.0);
}

void SimCylinder::setJammed(int64_t t, bool jammed) {
    reanchor(t);
    jammed_ = jammed;
}

}  // namespace corvane::sim
