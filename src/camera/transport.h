// The link between the driver and one camera: raw frames out and in.
//
// The capture library stands behind it for a real adapter; the in-process
// simulated camera plugs in here without it. One thread receives at a time;
// any thread may send while another receives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ostrel {

class Transport {
public:
    enum class Received { Frame, Timeout, Error };

    virtual ~Transport() = default;

    // Sends one frame; 0 on success, like the capture library's send call.
    virtual int send(std::span<const uint8_t> frame) = 0;

    // Waits up to `timeoutMs` for the next frame. On Frame, `frame` views its
    // bytes until the next call of receive.
    virtual Received receive(int timeoutMs, std::span<const uint8_t>& frame) = 0;

    // Drops the frames that wait to be read, before a request whose reply
    // must find room. Only called while nobody receives.
    virtual void discardWaiting() {}

    // Makes sure at least `bytes` of frames can wait to be read. Only called
    // while nobody receives.
    virtual bool reserveBuffer(size_t bytes) = 0;
};

}  // namespace ostrel
