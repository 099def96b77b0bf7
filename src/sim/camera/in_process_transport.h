// The driver's transport to a simulated camera in the same process.
//
// Frames the camera sends wait in a bounded queue that stands in for the
// kernel's capture buffer: when it is full, new frames are dropped. The camera
// has no thread of its own: whoever receives lets it send what is due, once
// the frames it sent before have been read.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "camera/transport.h"
#include "sim/camera/camera_model.h"

namespace camsim {

class InProcessTransport : public ostrel::Transport, private FrameSink {
public:
    explicit InProcessTransport(std::shared_ptr<CameraModel> camera);

    int send(std::span<const uint8_t> frame) override;
    Received receive(int timeoutMs, std::span<const uint8_t>& frame) override;
    bool reserveBuffer(size_t bytes) override;

    // Puts a frame in the queue as if anyone on the camera's segment had
    // sent it (a stray or forged frame).
    void inject(std::span<const uint8_t> frame);
    // Frames dropped because the queue was full.
    uint64_t dropped() const;
    // Frames waiting to be read.
    size_t waiting() const;
    // Calls of receive that began while another thread was inside receive:
    // the driver lets one thread receive at a time.
    uint64_t overlappingReceives() const { return overlapping_.load(); }
    const std::shared_ptr<CameraModel>& camera() const { return camera_; }

private:
    void emit(std::span<const uint8_t> frame) override;  // called with mutex_ held

    std::shared_ptr<CameraModel> camera_;
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<ostrel::wire::Frame> queue_;
    std::vector<ostrel::wire::Frame> spare_;
    ostrel::wire::Frame current_;
    size_t queuedBytes_ = 0;
    size_t capacity_ = 2u << 20;  // the capture library's default
    uint64_t dropped_ = 0;
    std::atomic<int> receiving_{0};
    std::atomic<uint64_t> overlapping_{0};
};

}  // namespace camsim
