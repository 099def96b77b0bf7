// Test fixture for the simulated machine: a frozen clock stepped by hand and
// the process-wide machine back at power-on, plus the I/O and wait idioms the
// machine program uses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "machine/d1000.h"
#include "platform/clock.h"
#include "sim/machine/simulated_machine.h"

namespace corvane::sim::testing {

using platform::Clock;

class SimFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        Clock::freeze();
        machine().reset(config());
    }
    void TearDown() override { Clock::unfreeze(); }

    // The configuration the test starts from.
    virtual MachineConfig config() const { return MachineConfig{}; }
    void restart(const MachineConfig& c) { machine().reset(c); }

    static SimulatedMachine& machine() { return SimulatedMachine::instance(); }
    static double now() { return Clock::seconds(); }
    static void advance(double seconds) { Clock::advance(seconds); }

    // Steps the clock by 1 ms until the condition holds; false after `limit`
    // seconds.
    static bool waitFor(const std::function<bool()>& condition, double limit) {
        const double start = now();
        while (!condition()) {
            if (now() - start >= limit) {
                return false;
            }
            advance(0.001);
        }
        return true;
    }
    // Waits for an axis's done code to leave 0; returns the code (0 on timeout).
    static int waitDone(Axis axis, double limit = 60.0) {
        const auto a = static_cast<int16_t>(axis);
        waitFor([a] { return d1000_check_done(a) != 0; }, limit);
        return d1000_check_done(a);
    }
    // Output on/off with the wiring's active level, as the program writes it.
    static void set(Output output, bool on) {
        const WiredPoint& w = wiring(output);
        d1000_out_bit(static_cast<int16_t>(w.libraryBit()),
                      static_cast<int16_t>(on ? w.activeLevel : 1 - w.activeLevel));
    }
    static void setStation(int station, bool on) {
        const WiredPoint w = stationOutputWiring(station);
        d1000_out_bit(static_cast<int16_t>(w.libraryBit()), static_cast<int16_t>(on ? 0 : 1));
    }
    static bool active(Input input) {
        const WiredPoint& w = wiring(input);
        return d1000_in_bit(static_cast<int16_t>(w.libraryBit())) == w.activeLevel;
    }
    static bool stationConfirms(int station) {
        return d1000_in_bit(static_cast<int16_t>(stationInputWiring(station).libraryBit())) == 0;
    }
    static bool waitActive(Input input, double limit, bool wanted = true) {
        return waitFor([=] { return active(input) == wanted; }, limit);
    }
    // Position in pulses of the command counter.
    static int32_t pos(Axis axis) { return d1000_get_command_pos(static_cast<int16_t>(axis)); }
    static int status(Axis axis) { return d1000_get_axis_status(static_cast<int16_t>(axis)); }
    static int16_t id(Axis axis) { return static_cast<int16_t>(axis); }
};

}  // namespace corvane::sim::testing
