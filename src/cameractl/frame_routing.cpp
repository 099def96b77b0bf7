// Per-index tables and the ten frame callbacks.
#include "cameractl/frame_routing.h"

#include <array>
#include <atomic>
#include <mutex>
#include <utility>

#include "cameractl/ostrel_ctl.h"

namespace ostrelctl {

namespace {

struct IndexEntry {
    // Held while an image is copied into the control, so the control cannot
    // go away in the middle of it.
    std::mutex lock;
    OstrelCtl* control = nullptr;
    std::atomic<bool> noDisplay{false};
    bool opened = false;
    TQ_VideoInfo video{};
};

std::array<IndexEntry, kMaxControls>& entries() {
    static std::array<IndexEntry, kMaxControls> table;
    return table;
}

void route(int index, TQ_FrameInfo* frame) {
    IndexEntry& e = entries()[static_cast<size_t>(index)];
    // A null record, or a null image (the camera stopped in mid-image): nothing to draw.
    if (frame == nullptr || frame->image == nullptr || e.noDisplay.load()) {
        return;
    }
    std::lock_guard lock(e.lock);
    if (e.control != nullptr) {
        e.control->takeFrame(*frame);
    }
}

template <int N>
void frameArrived(TQ_FrameInfo* frame) {
    route(N, frame);
}

template <int... N>
constexpr std::array<TQ_FrameCallback, sizeof...(N)> callbacks(std::integer_sequence<int, N...>) {
    return {&frameArrived<N>...};
}

constexpr auto kCallbacks = callbacks(std::make_integer_sequence<int, kMaxControls>{});

}  // namespace

bool validIndex(int index) {
    return index >= 0 && index < kMaxControls;
}

void serveIndex(int index, OstrelCtl* control) {
    if (!validIndex(index)) {
        return;
    }
    IndexEntry& e = entries()[static_cast<size_t>(index)];
    std::lock_guard lock(e.lock);
    e.control = control;
}

void releaseControl(OstrelCtl* control) {
    for (IndexEntry& e : entries()) {
        std::lock_guard lock(e.lock);
        if (e.control == control) {
            e.control = nullptr;
        }
    }
}

TQ_FrameCallback frameCallback(int index) {
    return validIndex(index) ? kCallbacks[static_cast<size_t>(index)] : nullptr;
}

void setNoDisplay(int index, bool noDisplay) {
    if (validIndex(index)) {
        entries()[static_cast<size_t>(index)].noDisplay = noDisplay;
    }
}

TQ_VideoInfo* videoInfo(int index) {
    return validIndex(index) ? &entries()[static_cast<size_t>(index)].video : nullptr;
}

bool openedByControl(int index) {
    return validIndex(index) && entries()[static_cast<size_t>(index)].opened;
}

void setOpenedByControl(int index, bool opened) {
    if (validIndex(index)) {
        entries()[static_cast<size_t>(index)].opened = opened;
    }
}

}  // namespace ostrelctl
