// The simulated machine called from several threads at once on a running,
// scaled clock, as the machine program's workers call it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "machine/d1000.h"
#include "platform/clock.h"
#include "sim/machine/simulated_machine.h"

namespace corvane::sim {
namespace {

using platform::Clock;

int16_t bit(Output o) {
    return static_cast<int16_t>(wiring(o).libraryBit());
}
int16_t bit(Input i) {
    return static_cast<int16_t>(wiring(i).libraryBit());
}

TEST(SimulatedMachineThreads, WorkersCallTheCardsTogether) {
    Clock::setTimeScale(20.0);
    SimulatedMachine& machine = SimulatedMachine::instance();
    machine.reset();
    std::atomic<bool> quit{false};
    std::atomic<int> moves{0};
    std::atomic<int> ctaStrokes{0};
    std::atomic<int> reads{0};

    std::vector<std::thread> workers;
    // A platform worker: moves and busy-polls the done code, as WaitDone does.
    workers.emplace_back([&] {
        int32_t step = 20'000;
        while (!quit) {
            d1000_start_s_move(0, step, 200'000, 600'000, 0.03);
            while (!quit && d1000_check_done(0) == 0) {
                std::this_thread::yield();
            }
            step = -step;
            ++moves;
        }
    });
    // A cylinder worker: CTA out and back, polling its sensors every 1 ms.
    workers.emplace_back([&] {
        while (!quit) {
            d1000_out_bit(bit(Output::Cta), 0);
            while (!quit && d1000_in_bit(bit(Input::CtaTarget)) != 0) {
                Clock::sleepMs(1);
            }
            d1000_out_bit(bit(Output::Cta), 1);
            while (!quit && d1000_in_bit(bit(Input::CtaOrigin)) != 0) {
                Clock::sleepMs(1);
            }
            ++ctaStrokes;
        }
    });
    // The operator and a test reading records.
    workers.emplace_back([&] {
        while (!quit) {
            machine.tapButton(Button::Start, 0.05);
            (void)machine.outputLog();
            (void)machine.platformStops();
            (void)machine.axisPosition(Axis::X);
            (void)d1000_get_command_pos(6);
            ++reads;
            Clock::sleepMs(5);
        }
    });

    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    quit = true;
    for (auto& w : workers) {
        w.join();
    }
    Clock::setTimeScale(1.0);

    EXPECT_GT(moves.load(), 5);
    EXPECT_GT(ctaStrokes.load(), 5);
    EXPECT_GT(reads.load(), 5);
    // Every CTA change is in the log, alternating 0 and 1.
    int last = 1;
    for (const OutputChange& change : machine.outputLog()) {
        if (change.bit == bit(Output::Cta)) {
            EXPECT_NE(change.level, last);
            last = change.level;
        }
    }
    EXPECT_GE(machine.platformStops().size(), static_cast<size_t>(moves.load() - 1));
}

}  // namespace
}  // namespace corvane::sim
