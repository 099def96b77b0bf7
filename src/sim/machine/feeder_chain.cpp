// Feeders dropping components and the chain carrying them to the CTA.
#include "sim/machine/feeder_chain.h"

#include <algorithm>
#include <cmath>

namespace corvane::sim {

void FeederChain::reset(const ChainConfig& config, int64_t t) {
    config_ = config;
    for (int s = 1; s <= kStationCount; ++s) {
        feeders_[s - 1] = Feeder{};
        feeders_[s - 1].parts = config.feederParts[s - 1];
    }
    drops_.fill(0);
    chain_.clear();
    lastOff_ = t;
    everOff_ = false;
    nextId_ = 1;
}

void FeederChain::setStationOutput(int station, bool on, int64_t t) {
    if (!valid(station)) {
        return;
    }
    Feeder& f = feeders_[station - 1];
    if (on == f.on) {
        return;
    }
    f.on = on;
    if (on) {
        f.onSince = t;
        f.droppedThisPulse = false;
    } else {
        lastOff_ = t;
        everOff_ = true;
    }
}

bool FeederChain::stationOutputOn(int station) const {
    return valid(station) && feeders_[station - 1].on;
}

bool FeederChain::stationInputActive(int station) const {
    return valid(station) && feeders_[station - 1].on && feeders_[station - 1].parts > 0;
}

bool FeederChain::returnDetected(int64_t t) const {
    for (const Feeder& f : feeders_) {
        if (f.on) {
            return false;
        }
    }
    const auto settle = static_cast<int64_t>(config_.returnSeconds * 1e9);
    return !everOff_ || t - lastOff_ >= settle;
}

double FeederChain::pitchesFromCta(const Component& c, double chainMm) const {
    const double stationPitches = config_.firstStationToCta + 2.0 * (c.station - 1);
    return (chainMm - c.chainAtDrop) / config_.pitch - stationPitches;
}

void FeederChain::step(int64_t t, double chainMm, MachineCounters& counters,
                       std::vector<ComponentLoss>& losses) {
    const auto pulse = static_cast<int64_t>(config_.dropOnSeconds * 1e9);
    for (int s = 1; s <= kStationCount; ++s) {
        Feeder& f = feeders_[s - 1];
        if (f.on && !f.droppedThisPulse && f.parts > 0 && t - f.onSince >= pulse) {
            f.droppedThisPulse = true;
            --f.parts;
            ++drops_[s - 1];
            ++counters.componentsDropped;
            chain_.push_back({nextId_++, s, chainMm});
        }
    }
    const double seconds = static_cast<double>(t) * 1e-9;
    for (auto it = chain_.begin(); it != chain_.end();) {
        if (pitchesFromCta(*it, chainMm) > config_.ctaTolerance) {
            losses.push_back({seconds, it->station, it->id, "carried past the CTA"});
            ++counters.componentsLost;
            it = chain_.erase(it);
        } else {
            ++it;
        }
    }
}

std::optional<FeederChain::Component> FeederChain::takeAtCta(double chainMm) {
    auto best = chain_.end();
    double bestDistance = config_.ctaTolerance;
    for (auto it = chain_.begin(); it != chain_.end(); ++it) {
        const double d = std::abs(pitchesFromCta(*it, chainMm));
        if (d <= bestDistance) {
            best = it;
            bestDistance = d;
        }
    }
    if (best == chain_.end()) {
        return std::nullopt;
    }
    const Component taken = *best;
    chain_.erase(best);
    return taken;
}

long FeederChain::parts(int station) const {
    return valid(station) ? feeders_[station - 1].parts : 0;
}

void FeederChain::setParts(int station, long parts) {
    if (valid(station)) {
        feeders_[station - 1].parts = std::max(parts, 0L);
    }
}

std::vector<ChainComponent> FeederChain::components(double chainMm) const {
    std::vector<ChainComponent> out;
    for (const Component& c : chain_) {
        out.push_back({c.id, c.station, pitchesFromCta(c, chainMm)});
    }
    std::sort(out.begin(), out.end(), [](const ChainComponent& a, const ChainComponent& b) {
        return a.pitchesFromCta > b.pitchesFromCta;
    });
    return out;
}

}  // namespace corvane::sim
