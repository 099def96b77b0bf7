// The twelve feeders and the component chain: a feeder drops a component at
// its station when its output is pulsed, and the chain (the L axis) carries
// the components towards the CTA.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "sim/machine/machine_config.h"
#include "sim/machine/machine_records.h"

namespace corvane::sim {

class FeederChain {
  public:
    struct Component {
        int id = 0;
        int station = 0;
        double chainAtDrop = 0;  // chain position (L physical, mm) when it was dropped
    };

    void reset(const ChainConfig& config, int64_t t);

    // A station output switched at time t (stations 1..12).
    void setStationOutput(int station, bool on, int64_t t);
    bool stationOutputOn(int station) const;
    // The station input confirms while the output is on and the feeder holds parts.
    bool stationInputActive(int station) const;
    // "Feeder Return Detection ": every distributor head back at its origin.
    bool returnDetected(int64_t t) const;

    // Brings the feeders and the chain to time t, the chain standing at
    // `chainMm`: due drops happen, components carried past the CTA fall off.
    void step(int64_t t, double chainMm, MachineCounters& counters,
              std::vector<ComponentLoss>& losses);
    // Takes the component standing at the CTA off the chain, if any.
    std::optional<Component> takeAtCta(double chainMm);

    long parts(int station) const;
    void setParts(int station, long parts);
    std::vector<ChainComponent> components(double chainMm) const;
    const std::array<int, kStationCount>& drops() const { return drops_; }

  private:
    struct Feeder {
        bool on = false;
        int64_t onSince = 0;
        bool droppedThisPulse = false;
        long parts = 0;
    };

    double pitchesFromCta(const Component& c, double chainMm) const;
    static bool valid(int station) { return station >= 1 && station <= kStationCount; }

    ChainConfig config_;
    std::array<Feeder, kStationCount> feeders_{};
    std::array<int, kStationCount> drops_{};
    std::vector<Component> chain_;
    int64_t lastOff_ = 0;
    bool everOff_ = false;
    int nextId_ = 1;
};

}  // namespace corvane::sim
