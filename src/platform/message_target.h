// The main window's message target: the stand-in for SendMessage/PostMessage.
//
// Workers report to the window thread through it. `send` blocks until the
// window thread has handled the message (and runs the handler inline when
// called on the window thread itself); `post` queues and returns. The window
// thread drains the queue: the Qt console from its event loop, the command-line
// program and the tests from a loop of their own.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace corvane::platform {

class MessageTarget {
public:
    using Handler = std::function<intptr_t(uint32_t message, uintptr_t wParam, intptr_t lParam)>;

    MessageTarget() = default;
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;
    ~MessageTarget();

    // The handler runs on the window thread only.
    void setHandler(Handler handler);
    // Makes the calling thread the window thread.
    void bindToCurrentThread();
    bool onWindowThread() const;

    // Blocks until the window thread handled the message; returns the
    // handler's result (0 once the target is closed).
    intptr_t send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // Queues the message for the window thread.
    void post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);

    // Window thread: handles every message queued so far; returns how many.
    int processPending();
    // Window thread: waits until a message is queued or the time is up
    // (real milliseconds); returns true when one is waiting.
    bool waitForMessage(int timeoutMs);
    // Called from any thread each time a message is queued (the console uses it
    // to wake its event loop).
    void setWakeUp(std::function<void()> wakeUp);

    // From now on messages are dropped and blocked senders return 0; used at
    // exit so that no worker waits for a window that is gone.
    void close();
    bool closed() const;

private:
    struct Pending {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool synchronous;
        bool done = false;
        intptr_t result = 0;
    };

    intptr_t dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void enqueue(const std::shared_ptr<Pending>& item);

    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable handled_;
    std::deque<std::shared_ptr<Pending>> queue_;
    Handler handler_;
    std::function<void()> wakeUp_;
    std::thread::id windowThread_;
    bool closed_ = false;
};

}  // namespace corvane::platform
