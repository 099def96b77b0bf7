// A main window on the simulated machine, in a program directory of its own,
// with the message boxes recorded (a test that wants the real dialogs
// installs them).
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "app/console.h"
#include "app/machine_state_box.h"
#include "app/main_window.h"
#include "console_window_support.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/message_box.h"
#include "platform/screens/language_events.h"
#include "program/program_list.h"
#include "program/program_rules.h"
#include "sim/machine/simulated_machine.h"

namespace console_test {

class MainWindowTest : public ::testing::Test {
  protected:
    // Clock seconds per real second: the window's timers follow the clock.
    static constexpr double kTimeScale = 2.0;

    void SetUp() override {
        home_ = freshHome(::testing::UnitTest::GetInstance()->current_test_info()->name());
        corvane::screens::LanguageEvents::instance().setLanguage(corvane::kEnglish);
        recordMessages();
        corvane::sim::MachineConfig config;
        config.seed = 11;
        machine().reset(config);
        corvane::programList().clear();
        corvane::machineParameters() = corvane::MachineParameters{};
        corvane::platform::Clock::setTimeScale(kTimeScale);
    }

    void TearDown() override {
        window_.reset();
        corvane::platform::Clock::setTimeScale(1.0);
        corvane::platform::setMessageBoxSink(nullptr);
        corvane::screens::LanguageEvents::instance().setLanguage(corvane::kEnglish);
        corvane::programList().clear();
        corvane::machineParameters() = corvane::MachineParameters{};
        corvane::platform::setSettingsFile({});
        std::filesystem::remove_all(home_);
    }

    static corvane::sim::SimulatedMachine& machine() {
        return corvane::sim::SimulatedMachine::instance();
    }

    void recordMessages() {
        corvane::platform::setMessageBoxSink([this](const corvane::platform::MessageBoxRequest& r) {
            messages_.push_back(r.text);
            return true;
        });
    }

    corvane::app::MainWindow& openWindow() {
        window_ =
            std::make_unique<corvane::app::MainWindow>(corvane::app::MainWindow::Options{false});
        window_->show();
        settle();
        // The parameter file a fresh program directory lacks.
        messages_.clear();
        return *window_;
    }
    corvane::app::MainWindow& window() { return *window_; }
    corvane::Console& console() { return window_->console(); }

    // The demo program opened through "Read Program" and its dialog.
    bool readDemoProgram() {
        const auto demo = demoWorkbook(home_);
        window_->setFileChooser([demo](corvane::app::MainWindow::FileDialog) {
            return QString::fromStdString(demo.string());
        });
        window_->mainMenu().action(corvane::app::MenuCommand::ReadProgram)->trigger();
        settle();
        return corvane::programList().count() > 0;
    }

    QString status() const { return window_->machineStateBox().statusLine()->text(); }

    std::filesystem::path home_;
    std::unique_ptr<corvane::app::MainWindow> window_;
    std::vector<std::string> messages_;
};

}  // namespace console_test
