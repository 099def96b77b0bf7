// Self-pausing worker thread.
#include "platform/worker.h"

#include "platform/clock.h"

namespace corvane::platform {

Worker::Worker(std::string name, std::function<int()> body) : name_(std::move(name)) {
    thread_ = std::thread([this, b = std::move(body)]() mutable { run(std::move(b)); });
}

Worker::~Worker() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Worker::run(std::function<int()> body) {
    {
        std::unique_lock lock(mutex_);
        resumed_.wait(lock, [this] { return permit_ || released_; });
        permit_ = false;
        wantsToWait_ = false;
    }
    exitCode_.store(body());
    finished_.store(true);
}

void Worker::resume() {
    {
        std::lock_guard lock(mutex_);
        if (!wantsToWait_) {
            return;
        }
        permit_ = true;
    }
    resumed_.notify_all();
}

void Worker::release() {
    {
        std::lock_guard lock(mutex_);
        released_ = true;
    }
    resumed_.notify_all();
}

bool Worker::clearFlagAndResume() {
    if (suspendedFlag_.load() == 0) {
        return false;
    }
    suspendedFlag_.store(0);
    resume();
    return true;
}

void Worker::beginPause() {
    std::lock_guard lock(mutex_);
    // Ready to wait before the flag is visible, so that a resume which
    // follows the flag always finds us.
    wantsToWait_ = true;
    suspendedFlag_.store(1);
}

void Worker::suspendSelf(const std::function<bool()>& stillPausing) {
    {
        std::lock_guard lock(mutex_);
        if (!wantsToWait_) {
            wantsToWait_ = true;
            suspendedFlag_.store(1);
        }
    }
    // Start clears the reason to pause before it looks at the flag: when the
    // reason is gone now, that Start has been or will be missed by the flag,
    // so the pause is called off (a resume that did see the flag is consumed).
    if (stillPausing && !stillPausing()) {
        std::lock_guard lock(mutex_);
        suspendedFlag_.store(0);
        permit_ = false;
        wantsToWait_ = false;
        return;
    }
    std::unique_lock lock(mutex_);
    resumed_.wait(lock, [this] { return permit_ || released_; });
    permit_ = false;
    wantsToWait_ = false;
}

bool Worker::waitFinished(double ms) const {
    const double start = Clock::seconds();
    while (!finished_.load()) {
        if ((Clock::seconds() - start) * 1000.0 >= ms) {
            return false;
        }
        Clock::sleepMs(1);
    }
    return true;
}

}  // namespace corvane::platform
