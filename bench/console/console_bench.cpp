// Figures of the operator console on the simulated machine, at real time:
// how long the window takes to come up ready for the operator, and how much
// processor the console uses while the machine stands and while it produces.
//
//   console_bench [idle-seconds] [producing-seconds]     (default 20 and 60)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/console.h"
#include "app/main_window.h"
#include "app/operate_group.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"
#include "production/machine_state.h"
#include "sim/machine/simulated_machine.h"

using namespace corvane;

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The calling thread's processor time (the window thread's, from main).
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The event loop as the program runs it (blocking between events), for a
// while or until the condition holds.
bool runEventLoop(double seconds, const std::function<bool()>& until = {}) {
    QEventLoop loop;
    bool met = false;
    QTimer end;
    end.setSingleShot(true);
    QObject::connect(&end, &QTimer::timeout, &loop, &QEventLoop::quit);
    end.start(static_cast<int>(seconds * 1000.0));
    QTimer look;
    if (until) {
        QObject::connect(&look, &QTimer::timeout, &loop, [&] {
            if (until()) {
                met = true;
                loop.quit();
            }
        });
        look.start(20);
        if (until())
            return true;
    }
    loop.exec();
    return met;
}

void runEvents(double seconds) {
    runEventLoop(seconds);
}

bool waitFor(const std::function<bool()>& condition, double seconds) {
    return runEventLoop(seconds, condition);
}

struct CpuUse {
    double process = 0;  // % of one core
    double window = 0;   // the window thread's share, % of one core
};

// Processor use over a stretch of the event loop.
CpuUse cpuUseOver(double seconds) {
    const double cpu0 = cpuSeconds();
    const double thread0 = threadCpuSeconds();
    const double wall0 = wallSeconds();
    runEvents(seconds);
    const double wall = wallSeconds() - wall0;
    return {100.0 * (cpuSeconds() - cpu0) / wall, 100.0 * (threadCpuSeconds() - thread0) / wall};
}

}  // namespace

int main(int argc, char** argv) {
    const double started = wallSeconds();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const double idleSeconds = argc > 1 ? std::atof(argv[1]) : 20.0;
    const double producingSeconds = argc > 2 ? std::atof(argv[2]) : 60.0;

    const auto home = std::filesystem::temp_directory_path() /
                      ("corvane-console-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(home);
    ::setenv("CORVANE_HOME", home.c_str(), 1);
    platform::setSettingsFile(home / "registry.ini");
    // The missing parameter file of a fresh program directory is only told.
    platform::setMessageBoxSink([](const platform::MessageBoxRequest&) { return true; });

    QApplication application(argc, argv);
    auto window = std::make_unique<app::MainWindow>(app::MainWindow::Options{false});
    window->show();
    waitFor(
        [&] { return window->windowHandle() != nullptr && window->windowHandle()->isExposed(); },
        10);
    QApplication::processEvents();
    const double ready = wallSeconds();
    std::printf("start-up to a window ready for the operator: %.0f ms\n",
                (ready - started) * 1000.0);

    const CpuUse idle = cpuUseOver(idleSeconds);
    std::printf("idle (machine stopped), %.0f s: %.1f %% of one core (window thread %.1f %%)\n",
                idleSeconds, idle.process, idle.window);

    window->openProgramAtStartUp(QStringLiteral(CORVANE_DEMO_PROGRAM));
    window->operateGroup().resetButton()->click();
    if (!waitFor([&] { return !window->console().resetRunning(); }, 300) ||
        !window->console().resetSucceeded()) {
        std::fprintf(stderr, "the reset failed: %s\n", window->console().view().status.c_str());
        return 1;
    }
    window->console().setPlannedCount(100000);
    // The buttons take presses again once the window has shown the reset's end.
    runEvents(0.2);
    window->operateGroup().startButton()->click();
    if (machineState().StopRequest.load() != 0) {
        std::fprintf(stderr, "Start refused: %s\n", window->console().view().status.c_str());
        return 1;
    }
    // Into the run first: the first board comes from the previous machine
    // and the chain brings the first component from its station.
    if (!waitFor([&] { return window->console().counters().inserted() > 0; }, 300)) {
        const MachineState& state = machineState();
        std::fprintf(
            stderr, "no component inserted: status '%s', stop %d, record %d, step %d, phase %d\n",
            window->console().view().status.c_str(), state.StopRequest.load(),
            state.CurrentRecord.load(), state.InsertStep.load(), state.WorkdeskPhase.load());
        return 1;
    }
    const int before = window->console().counters().inserted();
    const CpuUse producing = cpuUseOver(producingSeconds);
    const int inserted = window->console().counters().inserted() - before;
    std::printf(
        "producing at real time, %.0f s: %.1f %% of one core (window thread %.1f %%), "
        "%d components (%.0f per hour)\n",
        producingSeconds, producing.process, producing.window, inserted,
        inserted * 3600.0 / producingSeconds);
    if (machineState().AlarmCode.load() > 0)
        std::printf("  (the run stopped on alarm %d: %s)\n", machineState().AlarmCode.load(),
                    window->console().view().status.c_str());
    window->operateGroup().stopButton()->click();
    waitFor([&] { return window->console().productionSuspended() == 1; }, 30);
    window.reset();
    platform::setMessageBoxSink(nullptr);
    std::filesystem::remove_all(home);
    return 0;
}
