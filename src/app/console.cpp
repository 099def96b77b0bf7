// The headless main window: commands, timers and message handlers.
#include "app/console.h"

#include "app/button_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "machine/io_points.h"
#include "machine/machine_parameters.h"
#include "machine/motion_axis.h"
#include "machine/reset_worker.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/window_messages.h"
#include "platform/worker.h"
#include "production/alarm_texts.h"
#include "production/board_transport.h"
#include "production/chain_feed.h"
#include "production/production_cycle.h"
#include "production/run_restart.h"
#include "stats/production_statistics.h"

namespace corvane {

namespace {

constexpr double kTimerPeriods[4] = {0.030, 1.0, 0.028, 0.360};
// How long Reset waits for a stopping machine's workers to pause.
constexpr double kComeToRestSeconds = 0.5;

std::string twoDecimals(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

}  // namespace

Console::Console(const ProgramSource& program) : Console(program, Options{}) {}

Console::Console(const ProgramSource& program, Options options)
    : program_(program),
      options_(options),
      statistics_(productionStatistics()),
      statusLine_(view_, program, statistics_, [this] { changed(); }) {
    machineState().resetToDefaults();
    window_.bindToCurrentThread();
    window_.setHandler(
        [this](uint32_t m, uintptr_t w, intptr_t l) { return handleMessage(m, w, l); });
    context_ = std::make_unique<ProductionContext>(machineState(), settings_, window_, statistics_,
                                                   counters_, program_);
    chain_ = std::make_unique<ChainFeed>(*context_);
    context_->chain = chain_.get();
    transport_ = std::make_unique<BoardTransport>(*context_);
    cycle_ = std::make_unique<ProductionCycle>(*context_, *transport_);
    reset_ = std::make_unique<ResetWorker>(window_);
    panel_ = std::make_unique<ButtonPanel>(*this);
}

Console::~Console() {
    timersStarted_ = false;
    if (initialised_) {
        if (options_.saveParametersAtExit) {
            SaveMachineParameters();
        }
        for (int lamp : {kOutRedLight, kOutYellowLight, kOutGreenLight, kOutWorkdeskLight}) {
            output(lamp).Off();
        }
    }
    MachineState& state = machineState();
    state.QuitRequest = 1;
    // Workers that are paused are let go so they can see the quit flag; a
    // worker blocked on a message to this window is released by closing it.
    std::vector<platform::Worker*> workers = {chainWorker_.get(),      productionWorker_.get(),
                                              resetWorker_.get(),      loadLiftWorker_.get(),
                                              unloadLiftWorker_.get(), latchWorker_.get()};
    for (platform::Worker* w : workers) {
        if (w != nullptr)
            w->release();
    }
    for (platform::Worker* w : workers) {
        if (w == nullptr)
            continue;
        if (!w->waitFinished(200)) {
            window_.processPending();
        }
    }
    window_.close();
    panel_.reset();
    chainWorker_.reset();
    productionWorker_.reset();
    resetWorker_.reset();
    loadLiftWorker_.reset();
    unloadLiftWorker_.reset();
    latchWorker_.reset();
}

void Console::initialise() {
    MachineState& state = machineState();
    settings_.SafeDoorCheck = 1;
    cardsFound_ = InitMotionCards();
    BuildAxes();
    BuildIoTables();
    if (!cardsFound_) {
        const std::string text =
            tr("Cannot find the cards of motion control.", "没有找到运动控制卡. ");
        platform::messageBox(text, "Error", platform::MessageIcon::Error);
        setStatus(tr("Cannot find the cards of motion control. ", "没有找到运动控制卡. "));
    }
    settings_.ProductionSpeed = 90;
    state.SpeedFactor = 0.9;
    LoadMachineParameters();
    // A new main window starts a new statistics record.
    statistics_.CloseRecord();
    statistics_.MarkStart();
    statistics_.SetPlan(settings_.PlannedBoards.load(), settings_.PlannedHours.load());
    chain_->rebuildPlan();
    initialised_ = true;
    timersStarted_ = true;
    const double now = platform::Clock::seconds();
    for (size_t i = 0; i < nextTimer_.size(); ++i)
        nextTimer_[i] = now + kTimerPeriods[i];
    changed();
}

// --- Status and view ---------------------------------------------------------

void Console::setStatus(const std::string& text) { statusLine_.show(text); }

void Console::changed() {
    if (viewChanged_)
        viewChanged_();
}

void Console::setCursorHooks(std::function<void()> confine, std::function<void()> release) {
    confineHook_ = std::move(confine);
    releaseHook_ = std::move(release);
}

void Console::confineCursor() {
    view_.cursorConfined = true;
    if (confineHook_)
        confineHook_();
}

void Console::releaseCursor() {
    view_.cursorConfined = false;
    if (releaseHook_)
        releaseHook_();
}

int Console::productionSuspended() const {
    return productionWorker_ ? productionWorker_->suspendedFlag().load() : 1;
}

int Console::chainFeedSuspended() const {
    return chainWorker_ ? chainWorker_->suspendedFlag().load() : 1;
}

void Console::setMainButtons(bool enabled) {
    view_.startEnabled = enabled;
    view_.stopEnabled = enabled;
    view_.alarmResetEnabled = enabled;
    view_.resetEnabled = enabled;
}

// --- Commands ----------------------------------------------------------------

void Console::createWorkers() {
    if (!chainWorker_) {
        chainWorker_ = std::make_unique<platform::Worker>(
            "chain feed", [this] { return chain_->run(*chainWorker_); });
    }
    if (!productionWorker_) {
        productionWorker_ = std::make_unique<platform::Worker>(
            "production", [this] { return cycle_->run(*productionWorker_); });
    }
    if (!loadLiftWorker_) {
        loadLiftWorker_ = std::make_unique<platform::Worker>(
            "load lift", [this] { return transport_->runLoadLift(*loadLiftWorker_); });
    }
    if (!unloadLiftWorker_) {
        unloadLiftWorker_ = std::make_unique<platform::Worker>(
            "unload lift", [this] { return transport_->runUnloadLift(*unloadLiftWorker_); });
    }
}

void Console::Start() {
    MachineState& state = machineState();
    view_.statusVisible = true;
    if (!cardsFound_) {
        setStatus(tr("Not find proper motion control card!", "没有找到运动控制卡"));
        return;
    }
    if (statusLine_.verificationPending()) {
        statusLine_.openVerification(tr("Material batch number error", "物料批号不正确"));
        return;
    }
    const int alarm = state.AlarmCode.load();
    if (alarm >= 0 && alarm != kAlarmPlugInFailureLeft && alarm != kAlarmPlugInFailureRight) {
        setStatus(view_.status.empty() ? alarmText(alarm, Language.load()) : view_.status);
        return;
    }
    state.AlarmCode = -1;
    setStatus("");
    statusLine_.clearVerificationPending();
    output(kOutBuzzer).Off();

    if (program_.count() == 0) {
        setStatus(tr("No Data!", "没有数据"));
        return;
    }
    if (settings_.NeedsReset.load()) {
        setStatus(tr("The machine needs to reset!", "机器需要复位"));
        return;
    }
    if (input(kInHReturnOrigin).IsActive()) {
        setStatus(tr("H-Header-button pressed!", "H轴头部按钮被按下"));
        return;
    }
    if (input(kInStop).IsActive()) {
        setStatus(tr("Stop-button pressed", "后部停止按钮被按下"));
        return;
    }
    if (settings_.SafeDoorCheck.load() && !input(kInSafeDoor).IsActive()) {
        setStatus(tr("The safe door was opened", "安全门被打开，机器暂停运行"));
        return;
    }
    statistics_.CloseWaiting();

    state.AlarmCode = -1;
    statistics_.SetProductionState(-1);
    view_.chainSelectorEnabled = false;
    view_.plannedCountEnabled = false;
    context_->runStartCounter = platform::Clock::performanceCounter();
    state.StopRequest = 0;
    state.EmergencyStopActive = 0;
    state.StopKind = kRunning;

    createWorkers();
    if (productionWorker_->clearFlagAndResume()) {
        confineCursor();
    }
    if (!latchWorker_) {
        latchWorker_ = std::make_unique<platform::Worker>(
            "lead latch", [this] { return ProductionCycle::runLeadLatch(*context_); });
    }
    if (settings_.ChainState.load() == kChainRun)
        chainWorker_->clearFlagAndResume();
    loadLiftWorker_->clearFlagAndResume();
    unloadLiftWorker_->clearFlagAndResume();
    if (settings_.PlugInCheck.load() == kCheck)
        latchWorker_->clearFlagAndResume();
    changed();
}

void Console::Stop() {
    MachineState& state = machineState();
    state.AlarmCode = -1;
    output(kOutBuzzer).Off();
    releaseCursor();
    state.StopRequest = 1;
    view_.startEnabled = true;
    view_.plannedCountEnabled = true;
    // The chain state may be chosen again while the machine stands.
    view_.chainSelectorEnabled = true;
    changed();
}

void Console::EmergencyStop() {
    MachineState& state = machineState();
    releaseCursor();
    settings_.NeedsReset = 1;
    state.EmergencyStopActive = 1;
    platform::Clock::sleepMs(100);
    SwitchOffAllButLamps();
    view_.startEnabled = true;
    view_.plannedCountEnabled = true;
    view_.chainSelectorEnabled = true;
    StopAllAxes();
    platform::Clock::sleepMs(100);
    if (state.StopKind.load() != kEmergencyStopped) {
        state.StopKind = kEmergencyStopped;
        view_.menusEnabled = true;
        view_.plannedCountEnabled = true;
    }
    state.AlarmCode = -1;
    output(kOutBuzzer).Off();
    changed();
}

void Console::AlarmReset() {
    MachineState& state = machineState();
    state.AlarmCode = -1;
    output(kOutBuzzer).Off();
    setStatus(settings_.NeedsReset.load() ? tr("The machine need to reset", "机器需要复位")
                                          : tr("Alarm reseted", "报警已复位"));
    statusLine_.clearVerificationPending();
}

void Console::Reset() {
    MachineState& state = machineState();
    // Stopped means asked to stop and come to rest: the homing must not move
    // the platform or the chain under a cycle or a chain feed still at work.
    auto asked = [&] { return state.StopRequest.load() || state.EmergencyStopActive.load(); };
    auto stopped = [&] {
        return asked() && productionSuspended() == 1 && chainFeedSuspended() == 1;
    };
    // A machine asked to stop is given a moment to finish its pass.
    const int64_t since = platform::Clock::performanceCounter();
    while (asked() && !stopped() && platform::secondsSince(since) < kComeToRestSeconds) {
        platform::Clock::sleepMs(5);
    }
    if (!stopped()) {
        setStatus(tr("Stop production before resetting", "复位前请先停止生产"));
        return;
    }
    SwitchOffAllButLamps();
    platform::Clock::sleepMs(500);
    if (!stopped())
        return;
    struct Check {
        int input;
        bool wantActive;
        const char* english;
        const char* chinese;
    };
    static constexpr Check kChecks[] = {
        {kInCtaOrigin, true, "CTA is not at origin", "CTA不在原点"},
        {kInForfexSeatOrigin, true, "Forfex-Seat is not at origin", "剪脚座不在原点"},
        {kInFeederReturnDetection, true, "Distributor-head of stations be not at origin",
         "分配头没有回位，不能复位"},
        {kInEmStop, false, "Em-Stop-button pressed", "急停按钮被按下"},
        {kInHReturnOrigin, false, "H-Header-button pressed", "H轴头部按钮被按下"},
        {kInStop, false, "Stop-button pressed", "后部停止按钮被按下"},
        {kInLoadLiftOrigin, true, "The LoadPcbLift go home timeout",
         "进板升降台不在原位，不能复位"},
        {kInUnloadLiftOrigin, true, "The UnloadPcbLift go home timeout",
         "出板升降台不在原位，不能复位"},
    };
    for (const Check& c : kChecks) {
        if (input(c.input).IsActive() != c.wantActive) {
            platform::messageBox(tr(c.english, c.chinese));
            return;
        }
    }
    view_.statusVisible = false;
    view_.resetProgress = 0;
    view_.resetRunning = true;
    resetAxesDone_ = 0;
    if (!resetWorker_) {
        resetWorker_ = std::make_unique<platform::Worker>(
            "reset", [this] { return reset_->run(*resetWorker_); });
    }
    if (resetWorker_->suspendedFlag().load()) {
        settings_.NeedsReset = 1;
        resetSucceeded_ = false;
        view_.menusEnabled = false;
        setMainButtons(false);
        resetWorker_->clearFlagAndResume();
    }
    changed();
}

void Console::setPlannedCount(int boards) {
    const int value = std::max({boards, 1, machineState().BoardsProduced.load()});
    settings_.PlannedBoards = value;
    statistics_.SetPlan(value, settings_.PlannedHours.load());
    changed();
}

void Console::setLanguage(int language) {
    Language = language == kChinese ? kChinese : kEnglish;
    changed();
}

void Console::setChainState(int value) {
    settings_.ChainState = value;
    if (value == kChainRun) {
        chain_->rebuildPlan();
    }
    changed();
}

void Console::setProductionSpeed(int position) {
    position = std::clamp(position, 40, 100);
    settings_.ProductionSpeed = position;
    machineState().SpeedFactor = position * 0.01;
    changed();
}

void Console::setWorkdeskLamp(bool on) {
    output(kOutWorkdeskLight).Switch(on);
}

void Console::setSafeDoorCheck(bool on) {
    settings_.SafeDoorCheck = on ? 1 : 0;
}

void Console::programChanged() {
    chain_->rebuildPlan();
}

bool Console::requestExit() {
    MachineState& state = machineState();
    if (!state.StopRequest.load() && !state.EmergencyStopActive.load()) {
        return false;
    }
    if (!platform::messageBox(tr("Really want to exit the system?", "真的要退出系统吗？"),
                              tr("Note", "提示"), platform::MessageIcon::Question,
                              platform::MessageButtons::YesNo)) {
        return false;
    }
    writeStatisticsReport();
    return true;
}

void Console::writeStatisticsReport() {
    lastReport_ = statistics_.SaveAndClose();
}

// --- Window messages -----------------------------------------------------------

intptr_t Console::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (messageObserver_)
        messageObserver_(message, wParam, lParam);
    switch (message) {
        case MSG_ALARM:
            onAlarm(static_cast<int>(wParam));
            break;
        case MSG_STATE_TEXT:
            statusLine_.stateText(static_cast<int>(wParam));
            break;
        case MSG_SHOW_TEXT:
            setStatus(machineState().showTextString());
            break;
        case MSG_SHOW_RECORD:
            onShowRecord();
            break;
        case MSG_PRODUCTION_STOPPED:
            onProductionStopped();
            break;
        case MSG_BOARD_PROGRESS:
            onBoardProgress(static_cast<int>(wParam), static_cast<int>(lParam));
            break;
        case MSG_RESET_PROGRESS:
            onResetProgress(static_cast<int>(wParam), static_cast<int>(lParam));
            break;
        case MSG_RESET_DONE:
            onResetDone(wParam != 0);
            break;
        case MSG_WRITE_STATISTICS:
            writeStatisticsReport();
            break;
        default:
            return 0;
    }
    if (messageHandled_)
        messageHandled_(message, wParam);
    return 1;
}

void Console::onAlarm(int code) {
    MachineState& state = machineState();
    statusLine_.alarm(code);
    if (code == kAlarmProductionComplete) {
        state.RunFinished = 1;
        chain_->rebuildPlan();
        settings_.NeedsReset = 1;
        resetSucceeded_ = false;
        state.ChainFeedState = kChainClear;
    } else if (code == kAlarmHAxis || code == kAlarmPAxis) {
        settings_.NeedsReset = 1;
        resetSucceeded_ = false;
    }
}

void Console::onShowRecord() {
    const int current = machineState().CurrentRecord.load();
    if (current >= 1 && current <= program_.count()) {
        view_.selectedRow = current - 1;
        changed();
    }
}

void Console::onProductionStopped() {
    MachineState& state = machineState();
    // A Start that came after the cycle began its pause has resumed it: the
    // machine runs, and the pause it announced is over.
    if (productionSuspended() == 0)
        return;
    view_.menusEnabled = true;
    view_.plannedCountEnabled = true;
    view_.chainSelectorEnabled = true;
    if (state.EmergencyStopActive.load()) {
        state.StopKind = kEmergencyStopped;
        settings_.NeedsReset = 1;
    } else {
        state.StopKind = kStopped;
    }
    releaseCursor();
    changed();
}

void Console::onBoardProgress(int inserted, int milliseconds) {
    const int language = Language.load();
    onShowRecord();
    const int real = milliseconds > 0 ? static_cast<int>(3'600'000.0 / milliseconds + 0.5) : 0;
    const uint32_t now = platform::Clock::tickCount();
    if (!speedWindowOpen_ || now - speedWindowStart_ > 5000) {
        speedWindowOpen_ = true;
        speedWindowStart_ = now;
        speedWindowBest_ = real;
    } else {
        speedWindowBest_ = std::max(speedWindowBest_, real);
    }
    view_.realSpeed = std::to_string(real);
    view_.averageSpeed = std::to_string(speedWindowBest_);
    view_.completeCounter = std::to_string(machineState().BoardsProduced.load()) +
                            (language == kChinese ? "板 " : " Boards ") + std::to_string(inserted) +
                            (language == kChinese ? "件" : " cells");
    if (inserted >= 1) {
        const double ppm =
            (1.0 - static_cast<double>(counters_.failures()) / (counters_.inserted() + 1)) * 100.0;
        view_.ppm = twoDecimals(ppm);
    }
    changed();
}

void Console::onResetProgress(int axisIndex, int done) {
    resetAxesDone_ = done;
    if (axisIndex >= 0 && axisIndex < static_cast<int>(Axes().size())) {
        view_.statusVisible = true;
        setStatus(axis(axisIndex).name() + tr(" is resetting", " 正在复位"));
    }
}

void Console::onResetDone(bool success) {
    MachineState& state = machineState();
    view_.resetRunning = false;
    view_.resetProgress = success ? 100 : view_.resetProgress;
    view_.statusVisible = true;
    view_.menusEnabled = true;
    setMainButtons(true);
    if (!success) {
        setStatus(tr("Reset Failure", "复位失败"));
        return;
    }
    resetSucceeded_ = true;
    settings_.NeedsReset = 0;
    // A finished run is reported before its counters start again.
    if (state.RunFinished.load() && counters_.inserted() > 0) writeStatisticsReport();
    restartAfterReset(*context_, *cycle_);
    setStatus(tr("Reset Successly", "复位成功"));
}

// --- Timers ------------------------------------------------------------------

void Console::timer30ms() {
    if (!timer30Running_) return;
    panel_->tick();
}

void Console::timer1s() {
    MachineState& state = machineState();
    statistics_.ClockTick(1.0, state.StopRequest.load() != 0,
                          state.EmergencyStopActive.load() != 0);
    statusLine_.everySecond(buzzerEnabled_);
}

void Console::timer28ms() {
    if (!view_.resetRunning)
        return;
    // The bar creeps towards the axes done so far.
    const int target = std::min(100, (resetAxesDone_ + 1) * 100 / 7);
    if (view_.resetProgress < target) {
        ++view_.resetProgress;
        changed();
    }
}

void Console::timer360ms() { panel_->resetBlink(); }

bool Console::panelBusy() const { return panel_->busy(); }

void Console::processMessages() {
    window_.processPending();
}

bool Console::runFor(double seconds, const std::function<bool()>& until) {
    const double end = platform::Clock::seconds() + seconds;
    for (;;) {
        processMessages();
        const double now = platform::Clock::seconds();
        if (timersStarted_) {
            for (size_t i = 0; i < nextTimer_.size(); ++i) {
                // The statistics clock catches up on seconds it missed; the
                // other timers fire once when they fell behind.
                int due = 0;
                while (now >= nextTimer_[i] && due < 100) {
                    nextTimer_[i] += kTimerPeriods[i];
                    ++due;
                }
                if (due == 0)
                    continue;
                if (i != 1) {
                    due = 1;
                    if (nextTimer_[i] <= now)
                        nextTimer_[i] = now + kTimerPeriods[i];
                }
                for (int k = 0; k < due; ++k) {
                    switch (i) {
                        case 0:
                            timer30ms();
                            break;
                        case 1:
                            timer1s();
                            break;
                        case 2:
                            timer28ms();
                            break;
                        default:
                            timer360ms();
                            break;
                    }
                    processMessages();
                }
            }
        }
        if (until && until())
            return true;
        if (platform::Clock::seconds() >= end)
            return false;
        double next = end;
        for (double t : nextTimer_)
            next = std::min(next, t);
        const double waitReal = (next - platform::Clock::seconds()) / platform::Clock::timeScale();
        window_.waitForMessage(std::clamp(static_cast<int>(waitReal * 1000.0), 1, 5));
    }
}

}  // namespace corvane
