// ostrel-camsim: the simulated camera answering on a real network interface.
//
// Usage: ostrel-camsim --iface NAME --model MODEL [fault options]
// It prints "ready" once it listens, sends its images paced at about gigabit
// line rate, and ends on SIGTERM or SIGINT, after --duration seconds, or when
// its parent goes away.
#include <pcap/pcap.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "sim/camera/camera_model.h"

namespace {

volatile sig_atomic_t gQuit = 0;

void onSignal(int) { gQuit = 1; }

void usage() {
    std::fprintf(stderr,
                 "usage: ostrel-camsim --iface NAME --model MODEL [options]\n"
                 "  --model: K1M K1C K2M K5C K6C K6M K3M K3C K4C\n"
                 "  --drop N[,N...]       leave these packet numbers out of every image\n"
                 "  --late N[,N...]       send packet N after packet N+1\n"
                 "  --short N:BYTES       packet N carries only BYTES of payload\n"
                 "  --stop-after N        stop sending in the middle of the first image\n"
                 "  --lose-last N         the image of software trigger N lacks its last packet\n"
                 "  --silent-reads        never answer a register read\n"
                 "  --version HEX         firmware version word (default 00020110)\n"
                 "  --rate PACKETS        packets per second on the wire (default 80000)\n"
                 "  --duration SECONDS    end after this long\n");
}

std::vector<uint16_t> numbers(const char* text) {
    std::vector<uint16_t> out;
    std::string s(text);
    size_t at = 0;
    while (at < s.size()) {
        const size_t comma = s.find(',', at);
        out.push_back(static_cast<uint16_t>(std::strtoul(s.substr(at, comma - at).c_str(), nullptr, 10)));
        if (comma == std::string::npos) {
            break;
        }
        at = comma + 1;
    }
    return out;
}

// Frames waiting to go out, sent at a steady rate so the far end's backlog
// never overflows in a burst. Replies go ahead of image packets, as the
// camera answers its registers beside the stream.
class PacedSender {
public:
    PacedSender(pcap_t* handle, double packetsPerSecond)
        : replies_(*this, true),
          stream_(*this, false),
          handle_(handle),
          rate_(packetsPerSecond),
          last_(camsim::SteadyClock::now()) {}

    camsim::FrameSink& replies() { return replies_; }
    camsim::FrameSink& stream() { return stream_; }
    bool streamIdle() const { return streamQueue_.empty(); }

    // Sends what the rate allows now; answers how long to wait for the next.
    std::chrono::microseconds pump() {
        const auto now = camsim::SteadyClock::now();
        tokens_ = std::min(kBurst, tokens_ + std::chrono::duration<double>(now - last_).count() * rate_);
        last_ = now;
        while (!replyQueue_.empty()) {
            const auto& f = replyQueue_.front();
            pcap_inject(handle_, f.data(), f.size());
            replyQueue_.pop_front();
        }
        while (!streamQueue_.empty() && tokens_ >= 1.0) {
            const auto& f = streamQueue_.front();
            pcap_inject(handle_, f.data(), f.size());
            streamQueue_.pop_front();
            tokens_ -= 1.0;
        }
        if (streamQueue_.empty()) {
            return std::chrono::microseconds::max();
        }
        return std::chrono::microseconds(static_cast<int64_t>((1.0 - tokens_) / rate_ * 1e6) + 1);
    }

private:
    struct Sink : camsim::FrameSink {
        Sink(PacedSender& owner, bool reply) : owner_(owner), reply_(reply) {}
        void emit(std::span<const uint8_t> frame) override {
            (reply_ ? owner_.replyQueue_ : owner_.streamQueue_).emplace_back(frame.begin(), frame.end());
        }
        PacedSender& owner_;
        bool reply_;
    };

    static constexpr double kBurst = 64.0;
    Sink replies_;
    Sink stream_;
    pcap_t* handle_;
    double rate_;
    double tokens_ = kBurst;
    camsim::SteadyClock::time_point last_;
    std::deque<std::vector<uint8_t>> replyQueue_;
    std::deque<std::vector<uint8_t>> streamQueue_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string iface;
    std::string modelName;
    camsim::Faults faults;
    uint32_t version = 0x00020110;
    double rate = 80000;
    double duration = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        auto need = [&] {
            if (v == nullptr) {
                usage();
                std::exit(2);
            }
            ++i;
            return v;
        };
        if (a == "--iface") {
            iface = need();
        } else if (a == "--model") {
            modelName = need();
        } else if (a == "--drop") {
            for (uint16_t n : numbers(need())) {
                faults.dropPackets.insert(n);
            }
        } else if (a == "--late") {
            for (uint16_t n : numbers(need())) {
                faults.sendAfterNext.insert(n);
            }
        } else if (a == "--short") {
            const std::string s = need();
            const size_t colon = s.find(':');
            if (colon == std::string::npos) {
                usage();
                return 2;
            }
            faults.shortPackets[static_cast<uint16_t>(std::atoi(s.substr(0, colon).c_str()))] =
                static_cast<uint32_t>(std::atoi(s.substr(colon + 1).c_str()));
        } else if (a == "--stop-after") {
            faults.stopAfterPackets = std::atoi(need());
        } else if (a == "--lose-last") {
            faults.loseLastPacketOfTrigger = std::atoi(need());
        } else if (a == "--silent-reads") {
            faults.silentReads = true;
        } else if (a == "--version") {
            version = static_cast<uint32_t>(std::strtoul(need(), nullptr, 16));
        } else if (a == "--rate") {
            rate = std::max(1000.0, std::atof(need()));
        } else if (a == "--duration") {
            duration = std::atof(need());
        } else {
            usage();
            return 2;
        }
    }
    const camsim::ModelSpec* model = camsim::findModel(modelName);
    if (iface.empty() || model == nullptr) {
        usage();
        return 2;
    }
    // Started by a test: end with it.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);

    char errbuf[PCAP_ERRBUF_SIZE] = {};
    pcap_t* handle = pcap_create(iface.c_str(), errbuf);
    if (handle == nullptr) {
        std::fprintf(stderr, "ostrel-camsim: %s\n", errbuf);
        return 1;
    }
    pcap_set_snaplen(handle, 65536);
    pcap_set_promisc(handle, 1);
    pcap_set_immediate_mode(handle, 1);
    pcap_set_buffer_size(handle, 4 << 20);
    bpf_program program{};
    if (pcap_activate(handle) < 0 || pcap_setnonblock(handle, 1, errbuf) < 0 ||
        pcap_setdirection(handle, PCAP_D_IN) < 0 ||
        pcap_compile(handle, &program, "ether dst 00:12:34:56:78:9a", 1,
                     PCAP_NETMASK_UNKNOWN) < 0 ||
        pcap_setfilter(handle, &program) < 0) {
        std::fprintf(stderr, "ostrel-camsim: %s: %s\n", iface.c_str(), pcap_geterr(handle));
        pcap_close(handle);
        return 1;
    }
    pcap_freecode(&program);
    const int fd = pcap_get_selectable_fd(handle);

    camsim::CameraModel camera(*model);
    camera.setFaults(faults);
    camera.setFirmwareVersion(version);
    PacedSender sender(handle, rate);
    std::printf("ostrel-camsim: ready on %s as %s\n", iface.c_str(), modelName.c_str());
    std::fflush(stdout);

    const auto start = camsim::SteadyClock::now();
    while (!gQuit) {
        auto now = camsim::SteadyClock::now();
        if (duration > 0 && now - start > std::chrono::duration<double>(duration)) {
            break;
        }
        pcap_pkthdr* header = nullptr;
        const u_char* data = nullptr;
        while (pcap_next_ex(handle, &header, &data) == 1) {
            camera.handleRequest(std::span<const uint8_t>(data, header->caplen), now,
                                 sender.replies());
        }
        // The next image goes out once the last one is on the wire.
        auto next = camsim::SteadyClock::time_point::max();
        if (sender.streamIdle()) {
            next = camera.advance(now, sender.stream());
        }
        const auto sendWait = sender.pump();
        now = camsim::SteadyClock::now();
        auto wait = std::chrono::microseconds(50'000);
        if (next != camsim::SteadyClock::time_point::max()) {
            wait = std::min(wait, std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::max(next - now, camsim::SteadyClock::duration::zero())));
        }
        wait = std::min(wait, sendWait);
        pollfd pfd{fd, POLLIN, 0};
        const timespec ts{static_cast<time_t>(wait.count() / 1'000'000),
                          static_cast<long>(wait.count() % 1'000'000) * 1000};
        ppoll(&pfd, 1, &ts, nullptr);
    }
    pcap_close(handle);
    std::printf("ostrel-camsim: %llu images sent\n",
                static_cast<unsigned long long>(camera.imagesSent()));
    return 0;
}
