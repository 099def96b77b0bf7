// The transport of a real adapter, through libpcap.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "camera/transport.h"

struct pcap;

namespace ostrel {

class PcapTransport : public Transport {
public:
    // Opens the adapter (promiscuous, only the camera's incoming frames) with a
    // kernel buffer of `bufferBytes`. Null on failure, with `error` saying why.
    static std::unique_ptr<PcapTransport> open(const std::string& adapter, size_t bufferBytes,
                                               std::string* error);
    ~PcapTransport() override;

    int send(std::span<const uint8_t> frame) override;
    Received receive(int timeoutMs, std::span<const uint8_t>& frame) override;
    void discardWaiting() override;
    // The kernel buffer is fixed when the handle is activated: a larger one
    // needs a new handle.
    bool reserveBuffer(size_t bytes) override;

    size_t bufferBytes() const { return bufferBytes_; }

private:
    PcapTransport(std::string adapter, pcap* handle, size_t bufferBytes);
    static pcap* activate(const std::string& adapter, size_t bufferBytes, std::string* error);

    std::string adapter_;
    pcap* handle_ = nullptr;
    int selectableFd_ = -1;
    size_t bufferBytes_ = 0;
    std::mutex sendMutex_;
};

}  // namespace ostrel
