// The machine's push buttons, safe door and tower lamps.
#include "app/button_panel.h"

#include "app/console.h"
#include "machine/io_points.h"
#include "machine/motion_axis.h"
#include "platform/clock.h"
#include "platform/worker.h"
#include "production/alarm_texts.h"
#include "production/machine_state.h"

namespace corvane {

namespace {

// While the machine stands this long (6000 ticks of 30 ms), a paper cutter
// left on is switched off.
constexpr int kStoppedTicksForPaperCut = 6000;
constexpr double kHeadButtonDelayMs = 1000;
constexpr double kHeadHomeLimit = 10.0;
constexpr double kSeatSettleMs = 80;
constexpr double kCutLimit = 0.12;

bool active(int in) { return input(in).IsActive(); }

}  // namespace

ButtonPanel::ButtonPanel(Console& console) : console_(console) {
    worker_ = std::make_unique<platform::Worker>("button panel", [this] {
        while (!quit_.load()) {
            if (job_) {
                auto job = std::move(job_);
                job_ = nullptr;
                job();
            }
            // The flag is up before the window can see the panel free, so the
            // next job's resume always finds this thread.
            worker_->beginPause();
            busy_ = false;
            worker_->suspendSelf();
        }
        return 0;
    });
}

ButtonPanel::~ButtonPanel() {
    quit_ = true;
    worker_->release();
    worker_.reset();
}

void ButtonPanel::runJob(std::function<void()> job) {
    busy_ = true;
    job_ = std::move(job);
    worker_->clearFlagAndResume();
}

void ButtonPanel::towerLamps() {
    if (console_.view_.resetRunning) return;
    const MachineState& state = machineState();
    // "Complete the production" (0) is an alarm like the others here.
    const bool alarm = state.AlarmCode.load() >= 0 || state.EmergencyStopActive.load();
    const bool yellow = !alarm && console_.settings_.NeedsReset.load();
    output(kOutRedLight).Switch(alarm);
    output(kOutYellowLight).Switch(yellow);
    output(kOutGreenLight).Switch(!alarm && !yellow);
}

void ButtonPanel::resetBlink() {
    if (!console_.view_.resetRunning) return;
    greenBlink_ = !greenBlink_;
    output(kOutGreenLight).Switch(greenBlink_);
    output(kOutRedLight).Off();
    output(kOutYellowLight).Off();
}

void ButtonPanel::safeDoor() {
    MachineState& state = machineState();
    const std::string doorText = alarmText(kAlarmSafeDoor, Language.load());
    if (console_.settings_.SafeDoorCheck.load() && !active(kInSafeDoor)) {
        const int alarm = state.AlarmCode.load();
        if ((alarm == -1 || alarm == kAlarmSafeDoor) && console_.statusLine_.text() != doorText) {
            console_.statusLine_.alarm(kAlarmSafeDoor);
        }
        state.StopRequest = 1;
    } else if (console_.statusLine_.text() == doorText) {
        console_.statusLine_.show("");
        state.AlarmCode = -1;
        output(kOutBuzzer).Off();
    }
}

void ButtonPanel::leadLamps() {
    ConsoleView& view = console_.view_;
    const bool left = active(kInLeftCheck);
    const bool right = active(kInRightCheck);
    if (left != view.leftLeadLamp || right != view.rightLeadLamp) {
        view.leftLeadLamp = left;
        view.rightLeadLamp = right;
        console_.changed();
    }
}

void ButtonPanel::manualCut() {
    ProductionSettings& settings = console_.settings_;
    OutputPoint& seat = output(kOutForfexSeat);
    if (!seat.IsOn()) {
        seat.On();
        platform::Clock::sleepMs(kSeatSettleMs);
    }
    auto latch = [&] {
        if (active(kInLeftCheck)) settings.LeadLatchLeft = 1;
        if (active(kInRightCheck)) settings.LeadLatchRight = 1;
    };
    latch();
    output(kOutForfex).On();
    output(kOutHeadPositionIndicator).On();
    const int64_t start = platform::Clock::performanceCounter();
    while (!active(kInForfexSeatTarget) && platform::secondsSince(start) < kCutLimit) {
        latch();
        platform::Clock::sleepMs(1);
    }
    output(kOutForfex).Off();
    const int64_t after = platform::Clock::performanceCounter();
    while (platform::secondsSince(after) < kCutLimit) {
        latch();
        platform::Clock::sleepMs(1);
    }
    if (settings.LeadLatchLeft.load() && settings.LeadLatchRight.load()) {
        seat.Off();
        platform::Clock::sleepMs(kSeatSettleMs);
        output(kOutBuzzer).Off();
        output(kOutHeadPositionIndicator).Off();
    }
}

void ButtonPanel::homeHead() {
    platform::Clock::sleepMs(kHeadButtonDelayMs);
    if (machineState().QuitRequest.load()) return;
    if (axis(kAxisH).Home(kHeadHomeLimit)) axis(kAxisH).SetPosition(0.0);
}

void ButtonPanel::tick() {
    MachineState& state = machineState();
    towerLamps();
    // The emergency stop is served whatever else the panel does.
    if (active(kInEmStop) && !state.EmergencyStopActive.load()) {
        console_.EmergencyStop();
    }
    // The "Shear horn" lamps show the lead sensors, during a manual cut too.
    leadLamps();
    const bool wasBusy = console_.view_.panelBusy;
    console_.view_.panelBusy = busy_.load();
    if (wasBusy != console_.view_.panelBusy) console_.changed();
    if (busy_.load()) return;

    const bool startPressed = active(kInStart);
    const bool stopped = state.StopRequest.load() || state.EmergencyStopActive.load();
    if (startPressed && !startWasPressed_ && stopped) {
        console_.Start();
    }
    startWasPressed_ = startPressed;
    if (active(kInStop)) {
        console_.Stop();
    }
    const bool hPressed = active(kInHReturnOrigin);
    if (!hPressed && hHomeWasPressed_) {
        hHomeWasPressed_ = false;
        runJob([this] { homeHead(); });
        return;
    }
    hHomeWasPressed_ = hPressed;
    const bool cutPressed = active(kInForfexManual);
    if (cutPressed && !manualCutWasPressed_ && !output(kOutForfex).IsOn()) {
        manualCutWasPressed_ = true;
        runJob([this] { manualCut(); });
        return;
    }
    manualCutWasPressed_ = cutPressed;
    safeDoor();
    // A paper cutter left on while the machine stands is switched off after
    // three minutes.
    if (stopped) {
        if (++stoppedTicks_ >= kStoppedTicksForPaperCut) {
            stoppedTicks_ = 0;
            if (output(kOutPaperCut).IsOn() && axis(kAxisL).MotionState() != 0) {
                platform::Clock::sleepMs(100);
                output(kOutPaperCut).Off();
            }
        }
    } else {
        stoppedTicks_ = 0;
    }
}

}  // namespace corvane
