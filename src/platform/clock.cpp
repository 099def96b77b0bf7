// Scaled, freezable process clock.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace corvane::platform {

namespace {

using RealClock = std::chrono::steady_clock;

// Clock time is anchored: at real time `real` the clock read `clock`; since then
// it advanced by `scale` clock nanoseconds per real nanosecond.
struct Anchor {
    int64_t real = 0;
    int64_t clock = 0;
    double scale = 1.0;
    bool frozen = false;
};

int64_t realNow() {
    static const RealClock::time_point start = RealClock::now();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(RealClock::now() - start).count();
}

// Readers copy the anchor under the lock; it is held for a few nanoseconds.
std::mutex anchorMutex;
Anchor anchor;

Anchor readAnchor() {
    std::lock_guard lock(anchorMutex);
    return anchor;
}

int64_t clockAt(const Anchor& a, int64_t real) {
    if (a.frozen) {
        return a.clock;
    }
    return a.clock + static_cast<int64_t>(static_cast<double>(real - a.real) * a.scale);
}

// Re-anchors at the current moment with a change applied.
template <typename Change>
void reanchor(Change change) {
    std::lock_guard lock(anchorMutex);
    const int64_t real = realNow();
    anchor.clock = clockAt(anchor, real);
    anchor.real = real;
    change(anchor);
}

}  // namespace

int64_t Clock::nanoseconds() { return clockAt(readAnchor(), realNow()); }

int64_t Clock::performanceCounter() { return nanoseconds() / (1'000'000'000 / kFrequency); }

double Clock::seconds() { return static_cast<double>(nanoseconds()) * 1e-9; }

uint32_t Clock::tickCount() { return static_cast<uint32_t>(nanoseconds() / 1'000'000); }

void Clock::sleepMs(double ms) {
    const Anchor a = readAnchor();
    if (a.frozen) {
        if (ms > 0) {
            advance(ms * 1e-3);
        }
        std::this_thread::yield();
        return;
    }
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    // Sleep in real time, then top up in case the scale changed meanwhile.
    const int64_t target = nanoseconds() + static_cast<int64_t>(ms * 1e6);
    for (;;) {
        const int64_t left = target - nanoseconds();
        if (left <= 0) {
            return;
        }
        const Anchor now = readAnchor();
        if (now.frozen) {
            return;
        }
        const double realLeft = static_cast<double>(left) / std::max(now.scale, 1e-9);
        std::this_thread::sleep_for(std::chrono::nanoseconds(std::max<int64_t>(
            static_cast<int64_t>(realLeft), 1000)));
    }
}

void Clock::setTimeScale(double scale) {
    reanchor([scale](Anchor& a) { a.scale = std::max(scale, 1e-6); });
}

double Clock::timeScale() { return readAnchor().scale; }

void Clock::freeze() {
    reanchor([](Anchor& a) { a.frozen = true; });
}

void Clock::advance(double seconds) {
    reanchor([seconds](Anchor& a) { a.clock += static_cast<int64_t>(seconds * 1e9); });
}

void Clock::unfreeze() {
    reanchor([](Anchor& a) { a.frozen = false; });
}

bool Clock::frozen() { return readAnchor().frozen; }

}  // namespace corvane::platform
