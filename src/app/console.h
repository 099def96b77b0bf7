// The operator console without a screen: the main window object of the
// machine program. It owns the worker threads and their suspended flags, the
// production settings, the statistics record, the status line and the window
// message handlers, and offers the operator's commands. The Qt console is a
// thin view over it; corvane-cli and the tests drive it directly.
//
// Everything here runs on the window thread (the thread that created the
// console) except where a comment says otherwise.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/console_view.h"
#include "app/status_line.h"
#include "platform/message_target.h"
#include "production/production_context.h"
#include "stats/production_statistics.h"

namespace corvane::platform {
class Worker;
}

namespace corvane {

class BoardTransport;
class ButtonPanel;
class ChainFeed;
class ProductionCycle;
class ResetWorker;

class Console {
public:
    struct Options {
        // Save "machine.wps" when the console closes (the program does; tests
        // that share a program directory may not want to).
        bool saveParametersAtExit = true;
    };

    explicit Console(const ProgramSource& program);
    Console(const ProgramSource& program, Options options);
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    // Closing the main window: parameters saved, lamps off, workers ended.
    ~Console();

    // Machine start-up: cards, axes, I/O, selectors, parameters, statistics.
    void initialise();
    bool cardsFound() const { return cardsFound_; }

    // --- Operator commands -------------------------------------------------
    void Start();
    void Stop();
    void EmergencyStop();
    void AlarmReset();
    void Reset();
    // The planned-count button's second click: the value typed in.
    void setPlannedCount(int boards);
    // Language menu: 1 English, 0 Chinese.
    void setLanguage(int language);
    // Selectors and check boxes.
    void setChainState(int value);
    void setProductionSpeed(int position);
    void setWorkdeskLamp(bool on);
    void setSafeDoorCheck(bool on);
    void setBuzzerEnabled(bool on) { buzzerEnabled_ = on; }
    // Exit is accepted only while the machine is stopped; writes the report.
    bool requestExit();
    // The program changed (loaded, edited): the chain feed plan follows.
    void programChanged();

    // --- Timers, called on the window thread at their periods -------------
    void timer30ms();
    void timer1s();
    void timer28ms();
    void timer360ms();

    // Runs the window thread for `seconds` of clock time (or until `until`
    // returns true): handles messages and fires the timers on clock time.
    // Returns true when `until` was met.
    bool runFor(double seconds, const std::function<bool()>& until = {});
    // Handles every message waiting now.
    void processMessages();

    // --- State -------------------------------------------------------------
    platform::MessageTarget& window() { return window_; }
    ProductionSettings& settings() { return settings_; }
    ProductionStatistics& statistics() { return statistics_; }
    ProductionCounters& counters() { return counters_; }
    ChainFeed& chain() { return *chain_; }
    ProductionContext& context() { return *context_; }
    const ConsoleView& view() const { return view_; }
    // Sees every window message before it is handled (diagnosis, tests).
    void setMessageObserver(std::function<void(uint32_t, uintptr_t, intptr_t)> observer) {
        messageObserver_ = std::move(observer);
    }
    // Called once a window message has been handled (scripted operators).
    void setMessageHandled(std::function<void(uint32_t, uintptr_t)> callback) {
        messageHandled_ = std::move(callback);
    }
    // Called on the window thread whenever the view changed.
    void setViewChanged(std::function<void()> callback) { viewChanged_ = std::move(callback); }
    // Cursor confinement to the Stop button (best effort on the screen).
    void setCursorHooks(std::function<void()> confine, std::function<void()> release);
    // Material batch verification: called with the status text and the
    // stations to verify; its result comes back through verificationResult.
    void setVerificationHook(StatusLine::VerificationHook open) {
        statusLine_.setVerificationHook(std::move(open));
    }
    void verificationResult(bool verified) { statusLine_.verificationResult(verified); }
    bool verificationPending() const { return statusLine_.verificationPending(); }
    const std::vector<int>& stationsToVerify() const { return statusLine_.stationsToVerify(); }
    StatusLine& statusLine() { return statusLine_; }
    bool resetSucceeded() const { return resetSucceeded_; }
    bool resetRunning() const { return view_.resetRunning; }
    // Suspended flags of the workers (1 = paused or not created).
    int productionSuspended() const;
    int chainFeedSuspended() const;
    bool workersCreated() const { return productionWorker_ != nullptr; }
    // The last statistics report written (at a new run, Exit or the
    // statistics message).
    const std::optional<ReportResult>& lastReport() const { return lastReport_; }
    // Every alarm code the window received, in order.
    const std::vector<int>& alarmHistory() const { return statusLine_.history(); }
    // The 30 ms timer is stopped while a modal screen is open.
    void setTimer30Running(bool running) { timer30Running_ = running; }
    // A manual cut or the head button's homing is under way.
    bool panelBusy() const;

private:
    intptr_t handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    friend class ButtonPanel;

    void onAlarm(int code);
    void onShowRecord();
    void onProductionStopped();
    void onBoardProgress(int inserted, int milliseconds);
    void onResetProgress(int axisIndex, int done);
    void onResetDone(bool success);
    void writeStatisticsReport();

    void setStatus(const std::string& text);
    void changed();
    void createWorkers();
    void confineCursor();
    void releaseCursor();
    void setMainButtons(bool enabled);

    const ProgramSource& program_;
    Options options_;
    platform::MessageTarget window_;
    ProductionSettings settings_;
    ProductionStatistics& statistics_;
    ProductionCounters counters_;
    std::unique_ptr<ProductionContext> context_;
    std::unique_ptr<ChainFeed> chain_;
    std::unique_ptr<BoardTransport> transport_;
    std::unique_ptr<ProductionCycle> cycle_;
    std::unique_ptr<ResetWorker> reset_;
    std::unique_ptr<platform::Worker> chainWorker_;
    std::unique_ptr<platform::Worker> productionWorker_;
    std::unique_ptr<platform::Worker> loadLiftWorker_;
    std::unique_ptr<platform::Worker> unloadLiftWorker_;
    std::unique_ptr<platform::Worker> latchWorker_;
    std::unique_ptr<platform::Worker> resetWorker_;

    ConsoleView view_;
    std::function<void()> viewChanged_;
    std::function<void(uint32_t, uintptr_t, intptr_t)> messageObserver_;
    std::function<void(uint32_t, uintptr_t)> messageHandled_;
    std::function<void()> confineHook_;
    std::function<void()> releaseHook_;

    bool initialised_ = false;
    bool cardsFound_ = false;
    bool resetSucceeded_ = false;
    bool buzzerEnabled_ = true;
    StatusLine statusLine_;
    std::unique_ptr<ButtonPanel> panel_;
    std::optional<ReportResult> lastReport_;
    int resetAxesDone_ = 0;
    // Clock seconds at which each timer fires next (headless loop).
    std::array<double, 4> nextTimer_{};
    bool timersStarted_ = false;
    bool timer30Running_ = true;
    // Average speed window.
    uint32_t speedWindowStart_ = 0;
    bool speedWindowOpen_ = false;
    int speedWindowBest_ = 0;
};

}  // namespace corvane
