// A console on the simulated machine with a program built in the test: the
// workers run as they do in the machine, on a clock a few times faster than
// real time.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/console.h"
#include "app/program_list_source.h"
#include "machine/machine_parameters.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "production/machine_state.h"
#include "program/program_list.h"
#include "sim/machine/simulated_machine.h"

namespace corvane::testing {

// One record: the fields the production side reads.
struct Step {
    const char* command;
    int station = 1;
    double x = 0;
    double y = 0;
    double angle = 0;
    double height = 3;
    const char* footprint = "R-0207";
    const char* name = "R";
};

class ProductionTest : public ::testing::Test {
protected:
    static constexpr double kTimeScale = 4.0;

    void SetUp() override {
        home_ = std::filesystem::temp_directory_path() /
                ("corvane-production-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        ::setenv("CORVANE_HOME", home_.c_str(), 1);
        platform::setMessageBoxSink([this](const platform::MessageBoxRequest& r) {
            messages_.push_back(r.text);
            return true;
        });
        sim::MachineConfig config;
        config.seed = 11;
        machine().reset(config);
        programList().clear();
        platform::Clock::setTimeScale(kTimeScale);
    }

    void TearDown() override {
        console_.reset();
        platform::Clock::setTimeScale(1.0);
        platform::setMessageBoxSink(nullptr);
        programList().clear();
        std::filesystem::remove_all(home_);
    }

    static sim::SimulatedMachine& machine() { return sim::SimulatedMachine::instance(); }

    void useProgram(const std::vector<Step>& steps);

    // Machine start-up with heights that fit the simulated head.
    Console& startConsole();
    // Reset (homing); true when it succeeded.
    bool resetMachine();
    // Runs the window thread until the condition holds (clock seconds).
    bool runUntil(const std::function<bool()>& condition, double seconds) {
        return console_->runFor(seconds, condition);
    }
    bool productionPaused() const {
        return machineState().StopRequest.load() && console_->productionSuspended() == 1;
    }
    // Presses Start whenever the machine pauses without an alarm, until alarm
    // 0 ends the run; false when another alarm comes or time runs out.
    bool runToCompletion(double seconds);

    std::filesystem::path home_;
    ProgramListSource source_{programList()};
    std::unique_ptr<Console> console_;
    std::vector<std::string> messages_;
};

inline void ProductionTest::useProgram(const std::vector<Step>& steps) {
    char buffer[64];
    auto fixed = [&](double v, int decimals) {
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
        return std::string(buffer);
    };
    int n = 0;
    for (const Step& s : steps) {
        ++n;
        programList().append(InsertionRecord({std::to_string(n), fixed(s.x, 3), fixed(s.y, 3),
                                              fixed(s.angle, 3), std::to_string(s.station),
                                              s.footprint, s.name, "N", "5.0", fixed(s.height, 3),
                                              s.command, ""}));
    }
}

inline Console& ProductionTest::startConsole() {
    console_ = std::make_unique<Console>(source_, Console::Options{false});
    console_->initialise();
    MachineParameters& p = machineParameters();
    p = MachineParameters{};
    p.heightH1 = -8.0;
    p.heightH2 = -15.0;
    p.heightP = -10.0;
    console_->setPlannedCount(1);
    console_->programChanged();
    messages_.clear();  // the missing parameter file of a fresh program directory
    return *console_;
}

inline bool ProductionTest::resetMachine() {
    console_->Reset();
    if (!console_->resetRunning()) return false;
    runUntil([&] { return !console_->resetRunning(); }, 300);
    return console_->resetSucceeded();
}

inline bool ProductionTest::runToCompletion(double seconds) {
    const double end = platform::Clock::seconds() + seconds;
    console_->AlarmReset();
    console_->Start();
    while (platform::Clock::seconds() < end) {
        runUntil([&] { return productionPaused() || machineState().AlarmCode.load() >= 0; }, 1.0);
        const int alarm = machineState().AlarmCode.load();
        if (alarm == 0) {
            runUntil([&] { return productionPaused(); }, 5.0);
            return true;
        }
        if (alarm > 0 && alarm != 22 && alarm != 23) {
            ADD_FAILURE() << "alarm " << alarm << ": " << console_->view().status;
            return false;
        }
        if (productionPaused() ||
            (machineState().StopRequest.load() && console_->chainFeedSuspended() == 1)) {
            console_->Start();
        }
    }
    ADD_FAILURE() << "no end of the run: status '" << console_->view().status << "', record "
                  << machineState().CurrentRecord.load() << ", step " << machineState().InsertStep.load()
                  << ", phase " << machineState().WorkdeskPhase.load() << ", boards "
                  << machineState().BoardsProduced.load();
    return false;
}

}  // namespace corvane::testing
