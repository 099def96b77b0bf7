// An air cylinder of the simulated machine: timed travel between its origin
// and target ends, end sensors, and the faults of a slow or jammed cylinder.
#pragma once

#include <cstdint>

namespace corvane::sim {

class SimCylinder {
  public:
    // Power-on: at rest at the end it is commanded to.
    void reset(double travelSeconds, bool toTarget, int64_t t);

    // The output changed: travel towards the target (true) or the origin.
    void command(int64_t t, bool toTarget);
    bool commandedToTarget() const { return toTarget_; }

    // Travel takes `factor` times as long (1 is normal).
    void setSlowdown(int64_t t, double factor);
    double slowdown() const { return slowdown_; }
    // A jammed cylinder sticks halfway (both sensors inactive) on its way to
    // the commanded end, or stays where it is when already past halfway;
    // released, it goes on.
    void setJammed(int64_t t, bool jammed);
    bool jammed() const { return jammed_; }

    // 0 at the origin, 1 at the target.
    double position(int64_t t) const;
    bool atOrigin(int64_t t) const { return position(t) <= 0.0; }
    bool atTarget(int64_t t) const { return position(t) >= 1.0; }

  private:
    void reanchor(int64_t t);

    double travel_ = 0.04;
    double slowdown_ = 1.0;
    bool jammed_ = false;
    bool toTarget_ = false;
    int64_t anchorTime_ = 0;
    double anchorPosition_ = 0;
};

}  // namespace corvane::sim
