// Bounded frame queue between the in-process simulated camera and the driver.
#include "sim/camera/in_process_transport.h"

#include <algorithm>

namespace camsim {

namespace {

// Per-frame cost in the queue beyond its bytes, as in the kernel's ring.
constexpr size_t kFrameOverhead = 64;

}  // namespace

InProcessTransport::InProcessTransport(std::shared_ptr<CameraModel> camera)
    : camera_(std::move(camera)) {}

void InProcessTransport::emit(std::span<const uint8_t> frame) {
    const size_t cost = frame.size() + kFrameOverhead;
    if (queuedBytes_ + cost > capacity_) {
        ++dropped_;
        return;
    }
    ostrel::wire::Frame f;
    if (!spare_.empty()) {
        f = std::move(spare_.back());
        spare_.pop_back();
    }
    f.assign(frame.begin(), frame.end());
    queue_.push_back(std::move(f));
    queuedBytes_ += cost;
}

int InProcessTransport::send(std::span<const uint8_t> frame) {
    {
        std::lock_guard lock(mutex_);
        camera_->handleRequest(frame, SteadyClock::now(), *this);
    }
    arrived_.notify_all();
    return 0;
}

ostrel::Transport::Received InProcessTransport::receive(int timeoutMs,
                                                        std::span<const uint8_t>& frame) {
    struct Receiving {
        explicit Receiving(InProcessTransport& t) : t_(t) {
            if (t_.receiving_.fetch_add(1) != 0) {
                t_.overlapping_.fetch_add(1);
            }
        }
        ~Receiving() { t_.receiving_.fetch_sub(1); }
        InProcessTransport& t_;
    } receiving(*this);
    std::unique_lock lock(mutex_);
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
        const auto now = SteadyClock::now();
        // The camera sends its next image once the last one has been taken:
        // the reader stands for the wire's speed, and a reply never waits
        // behind images made while earlier ones were still being read.
        auto next = SteadyClock::time_point::max();
        if (queue_.empty()) {
            next = camera_->advance(now, *this);
        }
        if (!queue_.empty()) {
            if (current_.capacity() != 0) {
                spare_.push_back(std::move(current_));
            }
            current_ = std::move(queue_.front());
            queue_.pop_front();
            queuedBytes_ -= current_.size() + kFrameOverhead;
            frame = current_;
            return Received::Frame;
        }
        if (now >= deadline) {
            return Received::Timeout;
        }
        arrived_.wait_until(lock, std::min(deadline, next));
    }
}

void InProcessTransport::inject(std::span<const uint8_t> frame) {
    {
        std::lock_guard lock(mutex_);
        emit(frame);
    }
    arrived_.notify_all();
}

bool InProcessTransport::reserveBuffer(size_t bytes) {
    std::lock_guard lock(mutex_);
    capacity_ = std::max(capacity_, bytes);
    return true;
}

size_t InProcessTransport::waiting() const {
    std::lock_guard lock(mutex_);
    return queue_.size();
}

uint64_t InProcessTransport::dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace camsim
