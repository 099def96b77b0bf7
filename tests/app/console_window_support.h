// Shared by the console window's tests, its screenshots and its benchmark: a
// scratch program directory and settings file, the demo program as a
// workbook, clicks as the operator makes them and waits on the event loop.
#pragma once

#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>

#include "app/console.h"
#include "app/main_window.h"
#include "app/operate_group.h"
#include "platform/settings_store.h"
#include "program/program_csv.h"
#include "program/program_file.h"
#include "program/program_list.h"

namespace console_test {

// A program directory and a settings file of the process's own.
inline std::filesystem::path freshHome(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("corvane-console-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    ::setenv("CORVANE_HOME", dir.c_str(), 1);
    corvane::platform::setSettingsFile(dir / "registry.ini");
    return dir;
}

// The demo program of examples/ (two marks, a break, several stations, a
// stop) written as the workbook an operator would open.
inline std::filesystem::path demoWorkbook(const std::filesystem::path& dir) {
    corvane::ProgramList demo;
    const auto read =
        corvane::readProgramCsvFile(CORVANE_DEMO_PROGRAM, demo, corvane::ProgramScreen::MainWindow);
    if (!read.loaded())
        return {};
    const auto path = dir / "demo.xls";
    return corvane::writeProgramFile(path.string(), demo) ? path : std::filesystem::path{};
}

// Handles events until the condition holds or `seconds` of real time passed.
inline bool waitFor(const std::function<bool()>& condition, double seconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > seconds * 1000.0)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(5);
    }
    return true;
}

inline void settle(int ms = 50) {
    QTest::qWait(ms);
    QApplication::processEvents();
}

inline void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

// Reset through the window's button, watched to its end.
inline bool resetThroughWindow(corvane::app::MainWindow& window, double seconds = 240) {
    click(window.operateGroup().resetButton());
    if (!window.console().resetRunning())
        return false;
    waitFor([&] { return !window.console().resetRunning(); }, seconds);
    settle();
    return window.console().resetSucceeded();
}

}  // namespace console_test
