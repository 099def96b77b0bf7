// Adapter list from libpcap (its Ethernet adapters), hardware addresses from
// getifaddrs, and the in-process simulated camera's adapter.
#include "camera/adapters.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if_arp.h>
#include <pcap/pcap.h>
#include <sys/socket.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "camera/message_box.h"
#include "camera/pcap_transport.h"
#include "sim/camera/camera_registry.h"
#include "sim/camera/in_process_transport.h"

namespace ostrel {

namespace {

constexpr const char* kSimulatedCameraVariable = "OSTREL_SIMULATED_CAMERA";
constexpr wire::MacAddress kSimulatedAdapterAddress = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

// The system's Ethernet interfaces by name, with their hardware addresses.
// The capture library also lists pseudo-devices (any, nflog, nfqueue, D-Bus,
// Bluetooth and USB monitors) and the loopback: no camera can be cabled to
// them, and they would stand before the cameras in the device index.
std::map<std::string, wire::MacAddress> ethernetInterfaces() {
    std::map<std::string, wire::MacAddress> found;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return found;
    }
    for (ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_PACKET) {
            continue;
        }
        const auto* link = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
        if (link->sll_hatype != ARPHRD_ETHER) {
            continue;
        }
        wire::MacAddress mac{};
        std::memcpy(mac.data(), link->sll_addr, std::min<size_t>(link->sll_halen, mac.size()));
        found[a->ifa_name] = mac;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace

std::optional<std::vector<Adapter>> listAdapters() {
    char errbuf[PCAP_ERRBUF_SIZE] = {};
    pcap_if_t* devices = nullptr;
    if (pcap_findalldevs(&devices, errbuf) != 0) {
        return std::nullopt;
    }
    const auto ethernet = ethernetInterfaces();
    std::vector<Adapter> adapters;
    for (pcap_if_t* p = devices; p != nullptr; p = p->next) {
        // Linux capture names carry no prefix: they are the system names.
        const auto it = ethernet.find(p->name);
        if (it == ethernet.end()) {
            continue;
        }
        Adapter a;
        a.captureName = p->name;
        a.name = p->name;
        a.description = p->description != nullptr ? p->description : "";
        a.hardwareAddress = it->second;
        adapters.push_back(std::move(a));
    }
    pcap_freealldevs(devices);

    if (const char* model = std::getenv(kSimulatedCameraVariable); model != nullptr && *model) {
        if (camsim::findModel(model) != nullptr) {
            Adapter a;
            a.captureName = a.name = std::string("ostrel-sim-") + model;
            a.description = std::string("Simulated camera ") + model + " (in process)";
            a.hardwareAddress = kSimulatedAdapterAddress;
            a.simulatedModel = model;
            adapters.push_back(std::move(a));
        } else {
            showMessage(std::string(kSimulatedCameraVariable) + " names no known model: " + model,
                        "Error");
        }
    }
    return adapters;
}

std::unique_ptr<Transport> openAdapter(const Adapter& adapter, std::string* error) {
    if (!adapter.simulatedModel.empty()) {
        auto camera = camsim::inProcessCamera(adapter.simulatedModel);
        if (!camera) {
            if (error) {
                *error = "unknown simulated model";
            }
            return nullptr;
        }
        return std::make_unique<camsim::InProcessTransport>(std::move(camera));
    }
    return PcapTransport::open(adapter.captureName, kOpeningBufferBytes, error);
}

}  // namespace ostrel
