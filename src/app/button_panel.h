// The machine's own push buttons, its safe door and its tower lamps, watched
// by the 30 ms timer of the main window.
//
// Start counts its press, Stop and Em-Stop act while held, H-Return-Origin
// homes the head on release and Forfex-Manual makes a cut on a press. The cut
// and the homing run on the panel's own worker: the window stays live, and the
// emergency stop (button and input) and the lamps keep being served; the
// other buttons wait until the job is done, as the timer of the machine would.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace corvane::platform {
class Worker;
}

namespace corvane {

class Console;

class ButtonPanel {
public:
    explicit ButtonPanel(Console& console);
    ButtonPanel(const ButtonPanel&) = delete;
    ButtonPanel& operator=(const ButtonPanel&) = delete;
    // Program exit: a job under way is let finish, then the worker ends.
    ~ButtonPanel();

    // The 30 ms timer.
    void tick();
    // The 360 ms timer: the green lamp blinks while a reset runs.
    void resetBlink();
    // A manual cut or the head's homing is under way.
    bool busy() const { return busy_.load(); }

private:
    void towerLamps();
    void safeDoor();
    void leadLamps();
    // Runs `job` on the panel's worker.
    void runJob(std::function<void()> job);
    void manualCut();
    void homeHead();

    Console& console_;
    std::unique_ptr<platform::Worker> worker_;
    std::function<void()> job_;
    std::atomic<bool> busy_{false};
    std::atomic<bool> quit_{false};
    bool greenBlink_ = false;
    // Push-button edges and the stopped-time counter.
    bool startWasPressed_ = false;
    bool hHomeWasPressed_ = false;
    bool manualCutWasPressed_ = false;
    int stoppedTicks_ = 0;
};

}  // namespace corvane
