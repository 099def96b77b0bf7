// libpcap transport: non-blocking handle, waits with poll and their own limit.
//
// A blocking read on Linux does not come back while no packet arrives at all,
// so every wait here polls the handle's descriptor with a deadline. Block mode
// with a 1 ms time-out keeps the receive cost per packet low.
#include "camera/pcap_transport.h"

#include <pcap/pcap.h>
#include <poll.h>

#include <chrono>

namespace ostrel {

namespace {

// Only frames that can come from a camera: a length below 0x0600 in the
// type/length field and a camera signature after it.
constexpr const char* kCameraFilter =
    "ether[12:2] < 0x600 and (ether[14] = 0x5a or ether[14] = 0x6a)";

}  // namespace

pcap* PcapTransport::activate(const std::string& adapter, size_t bufferBytes,
                              std::string* error) {
    char errbuf[PCAP_ERRBUF_SIZE] = {};
    pcap_t* p = pcap_create(adapter.c_str(), errbuf);
    if (p == nullptr) {
        if (error) {
            *error = errbuf;
        }
        return nullptr;
    }
    auto fail = [&](const std::string& why) -> pcap* {
        if (error) {
            *error = why;
        }
        pcap_close(p);
        return nullptr;
    };
    pcap_set_snaplen(p, 65536);
    pcap_set_promisc(p, 1);
    pcap_set_timeout(p, 1);
    pcap_set_immediate_mode(p, 0);
    pcap_set_buffer_size(p, static_cast<int>(std::min<size_t>(bufferBytes, 1u << 30)));
    if (pcap_activate(p) < 0) {
        return fail(pcap_geterr(p));
    }
    if (pcap_datalink(p) != DLT_EN10MB) {
        return fail("not an Ethernet adapter");
    }
    if (pcap_setnonblock(p, 1, errbuf) < 0) {
        return fail(errbuf);
    }
    // Our own command frames would otherwise come back as if the camera sent them.
    if (pcap_setdirection(p, PCAP_D_IN) < 0) {
        return fail(pcap_geterr(p));
    }
    bpf_program program{};
    if (pcap_compile(p, &program, kCameraFilter, 1, PCAP_NETMASK_UNKNOWN) < 0) {
        return fail(pcap_geterr(p));
    }
    const int set = pcap_setfilter(p, &program);
    pcap_freecode(&program);
    if (set < 0) {
        return fail(pcap_geterr(p));
    }
    if (pcap_get_selectable_fd(p) < 0) {
        return fail("the adapter cannot be waited on");
    }
    return p;
}

std::unique_ptr<PcapTransport> PcapTransport::open(const std::string& adapter,
                                                   size_t bufferBytes, std::string* error) {
    pcap* handle = activate(adapter, bufferBytes, error);
    if (handle == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<PcapTransport>(new PcapTransport(adapter, handle, bufferBytes));
}

PcapTransport::PcapTransport(std::string adapter, pcap* handle, size_t bufferBytes)
    : adapter_(std::move(adapter)),
      handle_(handle),
      selectableFd_(pcap_get_selectable_fd(handle)),
      bufferBytes_(bufferBytes) {}

PcapTransport::~PcapTransport() {
    if (handle_ != nullptr) {
        pcap_close(handle_);
    }
}

int PcapTransport::send(std::span<const uint8_t> frame) {
    std::lock_guard lock(sendMutex_);
    return pcap_sendpacket(handle_, frame.data(), static_cast<int>(frame.size())) == 0 ? 0 : -1;
}

Transport::Received PcapTransport::receive(int timeoutMs, std::span<const uint8_t>& frame) {
    using Steady = std::chrono::steady_clock;
    const auto deadline = Steady::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        const int r = pcap_next_ex(handle_, &header, &data);
        if (r == 1) {
            frame = std::span<const uint8_t>(data, header->caplen);
            return Received::Frame;
        }
        if (r < 0) {
            return Received::Error;
        }
        const auto now = Steady::now();
        if (now >= deadline) {
            return Received::Timeout;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd pfd{selectableFd_, POLLIN, 0};
        poll(&pfd, 1, static_cast<int>(left));
    }
}

void PcapTransport::discardWaiting() {
    // A camera streaming at line rate refills the buffer as fast as it is
    // read: bounded in time, so that the flood cannot hold the caller.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    pcap_pkthdr* header = nullptr;
    const u_char* data = nullptr;
    while (pcap_next_ex(handle_, &header, &data) == 1 && std::chrono::steady_clock::now() < until) {
    }
}

bool PcapTransport::reserveBuffer(size_t bytes) {
    if (bytes <= bufferBytes_) {
        return true;
    }
    pcap* bigger = activate(adapter_, bytes, nullptr);
    if (bigger == nullptr) {
        return false;
    }
    std::lock_guard lock(sendMutex_);
    pcap_close(handle_);
    handle_ = bigger;
    selectableFd_ = pcap_get_selectable_fd(bigger);
    bufferBytes_ = bytes;
    return true;
}

}  // namespace ostrel
