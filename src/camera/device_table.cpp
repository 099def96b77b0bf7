// The library-wide device table; its threads end when the library is unloaded.
#include "camera/device_table.h"

#include "camera/stream.h"

namespace ostrel {

namespace {

struct DeviceTable {
    std::array<Device, kMaxDevices> devices;
    int adapterCount = 0;

    // A program that exits while capturing still gets its threads back.
    ~DeviceTable() {
        for (Device& d : devices) {
            stopStreamThreads(d);
        }
    }
};

DeviceTable& table() {
    static DeviceTable t;
    return t;
}

}  // namespace

Device* deviceAt(int index) {
    if (index < 0 || index >= kMaxDevices) {
        return nullptr;
    }
    return &table().devices[static_cast<size_t>(index)];
}

int& adapterCount() {
    return table().adapterCount;
}

}  // namespace ostrel
