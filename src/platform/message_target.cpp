// Window-message queue between the workers and the window thread.
#include "platform/message_target.h"

#include <chrono>

namespace corvane::platform {

MessageTarget::~MessageTarget() { close(); }

void MessageTarget::setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

void MessageTarget::bindToCurrentThread() {
    std::lock_guard lock(mutex_);
    windowThread_ = std::this_thread::get_id();
}

bool MessageTarget::onWindowThread() const {
    std::lock_guard lock(mutex_);
    return windowThread_ == std::this_thread::get_id();
}

intptr_t MessageTarget::dispatch(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        handler = handler_;
    }
    return handler ? handler(message, wParam, lParam) : 0;
}

void MessageTarget::enqueue(const std::shared_ptr<Pending>& item) {
    std::function<void()> wakeUp;
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(item);
        wakeUp = wakeUp_;
    }
    queued_.notify_all();
    if (wakeUp) {
        wakeUp();
    }
}

intptr_t MessageTarget::send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (closed()) {
        return 0;
    }
    if (onWindowThread()) {
        return dispatch(message, wParam, lParam);
    }
    auto item = std::make_shared<Pending>(Pending{message, wParam, lParam, true});
    enqueue(item);
    std::unique_lock lock(mutex_);
    handled_.wait(lock, [&] { return item->done || closed_; });
    return item->done ? item->result : 0;
}

void MessageTarget::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (closed()) {
        return;
    }
    enqueue(std::make_shared<Pending>(Pending{message, wParam, lParam, false}));
}

int MessageTarget::processPending() {
    int count = 0;
    for (;;) {
        std::shared_ptr<Pending> item;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty() || closed_) {
                return count;
            }
            item = queue_.front();
            queue_.pop_front();
        }
        const intptr_t result = dispatch(item->message, item->wParam, item->lParam);
        ++count;
        if (item->synchronous) {
            {
                std::lock_guard lock(mutex_);
                item->result = result;
                item->done = true;
            }
            handled_.notify_all();
        }
    }
}

bool MessageTarget::waitForMessage(int timeoutMs) {
    std::unique_lock lock(mutex_);
    return queued_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [&] { return !queue_.empty() || closed_; }) &&
           !queue_.empty();
}

void MessageTarget::setWakeUp(std::function<void()> wakeUp) {
    std::lock_guard lock(mutex_);
    wakeUp_ = std::move(wakeUp);
}

void MessageTarget::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        queue_.clear();
    }
    queued_.notify_all();
    handled_.notify_all();
}

bool MessageTarget::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace corvane::platform
