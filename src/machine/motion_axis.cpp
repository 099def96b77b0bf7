// Axis objects over the motion cards' calls.
#include "machine/motion_axis.h"

#include <cmath>
#include <limits>
#include <thread>

#include "machine/d1000.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "machine/machine_stops.h"

namespace corvane {

namespace {

int cardCount = 0;

int32_t truncateToPulses(double value) {
    // Truncation toward zero, saturated so that absurd inputs cannot overflow.
    if (!(value == value)) {
        return 0;
    }
    constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
    constexpr double kMin = static_cast<double>(std::numeric_limits<int32_t>::min());
    if (value >= kMax) return std::numeric_limits<int32_t>::max();
    if (value <= kMin) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

void MotionAxis::Configure(const std::string& name, uint16_t cardAxis, int32_t pulseOutputMode,
                           int32_t homeTowardPositive, int32_t pulsesPerUnit, double startSpeed,
                           double maxSpeed, double accelTime, double homeFastSpeed,
                           double homeSlowSpeed, double sCurveFactor, double stepDistance) {
    name_ = name;
    cardAxis_ = cardAxis;
    pulseOutputMode_ = pulseOutputMode;
    homeTowardPositive_ = homeTowardPositive;
    pulsesPerUnit_ = pulsesPerUnit;
    startSpeed_ = startSpeed;
    maxSpeed_ = maxSpeed;
    accelTime_ = accelTime;
    homeFastSpeed_ = homeFastSpeed;
    homeSlowSpeed_ = homeSlowSpeed;
    sCurveFactor_ = sCurveFactor;
    stepDistance_ = stepDistance;
    d1000_set_pls_outmode(axis(), pulseOutputMode_);
}

int32_t MotionAxis::toPulses(double units) const {
    return truncateToPulses(static_cast<double>(pulsesPerUnit_) * units);
}

int MotionAxis::MoveTo(double position) { return MoveTo(position, startSpeed_, maxSpeed_); }

int MotionAxis::MoveTo(double position, double startSpeed, double maxSpeed) {
    return MoveToPulses(toPulses(position), toPulses(startSpeed), toPulses(maxSpeed));
}

int MotionAxis::MoveBy(double distance) { return MoveBy(distance, startSpeed_, maxSpeed_); }

int MotionAxis::MoveBy(double distance, double startSpeed, double maxSpeed) {
    return MoveByPulses(toPulses(distance), toPulses(startSpeed), toPulses(maxSpeed));
}

int MotionAxis::MoveToPulses(int32_t target, int32_t startSpeed, int32_t maxSpeed) {
    if (sCurveFactor_ == 0.0) {
        return d1000_start_ta_move(axis(), target, static_cast<double>(startSpeed),
                                   static_cast<double>(maxSpeed), accelTime_);
    }
    d1000_set_s_profile(axis(), sCurveFactor_);
    return d1000_start_sa_move(axis(), target, startSpeed, maxSpeed, accelTime_);
}

int MotionAxis::MoveByPulses(int32_t distance, int32_t startSpeed, int32_t maxSpeed) {
    if (sCurveFactor_ == 0.0) {
        return d1000_start_t_move(axis(), distance, startSpeed, maxSpeed, accelTime_);
    }
    d1000_set_s_profile(axis(), sCurveFactor_);
    return d1000_start_s_move(axis(), distance, startSpeed, maxSpeed, accelTime_);
}

int MotionAxis::Jog(double speed, bool forward) {
    const int32_t maxSpeed = toPulses(speed);
    const int32_t startSpeed = truncateToPulses(static_cast<double>(pulsesPerUnit_) * speed * 0.5);
    const int32_t signedMax = forward ? maxSpeed : -maxSpeed;
    if (sCurveFactor_ == 0.0) {
        return d1000_start_tv_move(axis(), startSpeed, signedMax, accelTime_);
    }
    d1000_set_s_profile(axis(), sCurveFactor_);
    return d1000_start_sv_move(axis(), startSpeed, signedMax, accelTime_);
}

int MotionAxis::MotionState() const { return d1000_check_done(axis()); }

bool MotionAxis::WaitDone(double timeoutSeconds) const {
    // The card is polled without sleeping: the end of a move is caught at
    // once. The thread yields between reads so that the other workers, and the
    // simulated card, keep their share of the processor.
    int state = 0;
    if (timeoutSeconds < 0) {
        // Without a limit; the program's exit still ends the wait.
        while ((state = MotionState()) == 0) {
            if (machineStops().quitting()) {
                return false;
            }
            std::this_thread::yield();
        }
    } else {
        const int64_t start = platform::Clock::performanceCounter();
        state = MotionState();
        while (state == 0 && platform::secondsSince(start) < timeoutSeconds) {
            std::this_thread::yield();
            state = MotionState();
        }
    }
    if (cardAxis_ == kAxisP && state == 3) {
        platform::messageBox("遇限位停止");
    }
    return state == 1;
}

double MotionAxis::Position() const {
    const int32_t pulses = d1000_get_command_pos(axis());
    if (pulsesPerUnit_ == 0) {
        return static_cast<double>(pulses);
    }
    return static_cast<double>(pulses) / static_cast<double>(pulsesPerUnit_);
}

int MotionAxis::SetPosition(double position) {
    return d1000_set_command_pos(axis(), static_cast<double>(pulsesPerUnit_) * position);
}

bool MotionAxis::AtNegativeLimit() const { return (d1000_get_axis_status(axis()) & 0x1) != 0; }
bool MotionAxis::AtPositiveLimit() const { return (d1000_get_axis_status(axis()) & 0x2) != 0; }
bool MotionAxis::AtOrigin() const { return (d1000_get_axis_status(axis()) & 0x4) != 0; }

bool MotionAxis::DecelStop() {
    d1000_decel_stop(axis());
    return true;
}

bool MotionAxis::StopNow() {
    d1000_immediate_stop(axis());
    return true;
}

void MotionAxis::setSpeeds(double stepDistance, double startSpeed, double maxSpeed) {
    stepDistance_ = stepDistance;
    startSpeed_ = startSpeed;
    maxSpeed_ = maxSpeed;
}

std::vector<std::unique_ptr<MotionAxis>>& Axes() {
    static std::vector<std::unique_ptr<MotionAxis>> axes;
    return axes;
}

int MotionCardCount() { return cardCount; }

bool InitMotionCards() {
    cardCount = d1000_board_init();
    return cardCount >= 2;
}

void BuildAxes() {
    struct Row {
        const char* name;
        int32_t homeTowardPositive;
        int32_t pulsesPerUnit;
        double startSpeed, maxSpeed, accelTime, homeFast, homeSlow, sCurve, step;
    };
    static constexpr Row kTable[] = {
        {"X", 0, 1000, 200, 600, 0.03, 20, 10, 0.2, 10},
        {"Y", 1, 1000, 400, 600, 0.03, 20, 10, 0.2, 10},
        {"D1", 1, 1000, 500, 700, 0.03, 8, 5, 0.2, 5},
        {"D2", 1, 1000, 500, 700, 0.03, 2.5, 1.5, 0.2, 5},
        {"H", 1, 1000, 80, 400, 0.13, 2.5, 1.5, 0.2, 0.1},
        {"P", 1, 166, 500, 1000, 0.13, 6, 4, 0.2, 0.1},
        {"L", 1, 1000, 90, 230, 0.03, 4.5, 1.5, 0.2, 12.5},
    };
    auto& axes = Axes();
    axes.clear();
    for (uint16_t i = 0; i < std::size(kTable); ++i) {
        const Row& r = kTable[i];
        auto a = std::make_unique<MotionAxis>();
        a->Configure(r.name, i, 1, r.homeTowardPositive, r.pulsesPerUnit, r.startSpeed,
                     r.maxSpeed, r.accelTime, r.homeFast, r.homeSlow, r.sCurve, r.step);
        axes.push_back(std::move(a));
    }
    for (auto& a : axes) {
        a->StopNow();
        a->SetPosition(0.0);
    }
}

void StopAllAxes() {
    for (int i = 0; i < 4 * cardCount; ++i) {
        d1000_immediate_stop(static_cast<int16_t>(i));
    }
}

void MoveLine(MotionAxis& a, double aValue, MotionAxis& b, double bValue, bool absolute) {
    MoveLine(a, aValue, b, bValue, absolute, a.startSpeed(), a.maxSpeed());
}

void MoveLine(MotionAxis& a, double aValue, MotionAxis& b, double bValue, bool absolute,
              double startSpeed, double maxSpeed) {
    const int16_t axes[2] = {static_cast<int16_t>(a.cardAxis()), static_cast<int16_t>(b.cardAxis())};
    const int32_t values[2] = {a.toPulses(aValue), b.toPulses(bValue)};
    const int32_t start = a.toPulses(startSpeed);
    const int32_t max = a.toPulses(maxSpeed);
    if (absolute) {
        d1000_start_ta_line(2, axes, values, start, max, a.accelTime());
    } else {
        d1000_start_t_line(2, axes, values, start, max, a.accelTime());
    }
}

}  // namespace corvane
