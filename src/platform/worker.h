// A worker thread that pauses itself and is resumed by its owner.
//
// Stands in for a thread created suspended and driven with SuspendThread and
// ResumeThread. The worker pauses by setting its suspended flag and then
// suspending itself; the owner (Start) clears the flag and resumes it. A resume
// that arrives between the worker setting its flag and actually waiting is not
// lost.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace corvane::platform {

class Worker {
public:
    // Creates the thread suspended: `body` starts running at the first resume().
    // The suspended flag starts at 1.
    Worker(std::string name, std::function<int()> body);
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    // Waits for the thread to end. The owner first makes the body return
    // (its quit flag) and resumes the thread if it is paused.
    ~Worker();

    const std::string& name() const { return name_; }

    // The suspended flag the owner tests and clears (1 = paused).
    std::atomic<int>& suspendedFlag() { return suspendedFlag_; }

    // Lets the thread go on if it is paused or has not started; does nothing
    // while it runs.
    void resume();
    // Start's idiom: if the flag is set, clear it and resume. Returns whether
    // the thread was resumed.
    bool clearFlagAndResume();

    // Called by the body on its own thread: flag := 1, then wait for resume().
    // With `stillPausing`, the reason to pause is asked again once the flag is
    // set: a Start that cleared the reason before it could see the flag has
    // then cancelled the pause instead of leaving the worker asleep.
    void suspendSelf(const std::function<bool()>& stillPausing = {});
    // The first half of a pause that is announced: the flag is set now, so a
    // Start from this moment on resumes the worker; the announcement follows
    // and suspendSelf() completes the pause (at once if a Start came between).
    void beginPause();

    // Program exit: the thread is resumed now and never waits in a pause
    // again, so a body that pauses after its owner's last look still ends.
    void release();

    bool finished() const { return finished_.load(); }
    // Waits up to `ms` clock milliseconds for the body to return.
    bool waitFinished(double ms) const;
    int exitCode() const { return exitCode_.load(); }

private:
    void run(std::function<int()> body);

    std::string name_;
    std::atomic<int> suspendedFlag_{1};
    std::atomic<bool> finished_{false};
    std::atomic<int> exitCode_{0};
    std::mutex mutex_;
    std::condition_variable resumed_;
    bool wantsToWait_ = true;  // in (or entering) a pause; starts paused
    bool permit_ = false;      // a resume has arrived for that pause
    bool released_ = false;    // exit: no more pauses
    std::thread thread_;
};

}  // namespace corvane::platform
