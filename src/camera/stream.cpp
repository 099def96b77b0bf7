// Stream buffers, the receive and delivery threads, and the ready queue.
#include "camera/stream.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "camera/camera_types.h"
#include "camera/register_access.h"

namespace ostrel {

namespace {

using std::chrono::milliseconds;

// Kernel-side cost of one captured packet beyond its bytes (ring headers and
// alignment), with room to spare.
constexpr size_t kPacketOverhead = 128;
constexpr int kReceivePollMs = 20;
constexpr int kIdleWaitMs = 50;

int outputBytesPerPixel(Conversion c) {
    return c == Conversion::None || c == Conversion::K3Mono ? 1 : 3;
}

// Set on the delivery threads: their callbacks may stop their own device.
thread_local bool tDeliveryThread = false;

// Holds the calling thread while the stream is suspended; true when it waited.
bool waitWhileSuspended(Stream& s, const std::atomic<bool>& stop) {
    if (!s.suspended.load()) {
        return false;
    }
    std::unique_lock lock(s.suspendMutex);
    while (s.suspended.load() && !stop.load()) {
        s.resumed.wait_for(lock, milliseconds(kIdleWaitMs));
    }
    return true;
}

// Under the stream lock: marks every queued slot free and empties the queue.
void emptyQueue(Stream& s) {
    for (int i = 0; i < s.queueCount.load(); ++i) {
        s.slots[static_cast<size_t>(s.queue[static_cast<size_t>((s.queueHead + i) % kFrameSlots)])]
            .free = true;
    }
    s.queueHead = 0;
    s.queueCount = 0;
}

void countLosses(Stream& s, const PacketOutcome& out) {
    if (out.packetsLost != 0) {
        s.packetsLost.fetch_add(out.packetsLost, std::memory_order_relaxed);
    }
    if (out.newFrameWithLoss) {
        s.framesWithLosses.fetch_add(1, std::memory_order_relaxed);
    }
}

void receiveLoop(Device* device, std::shared_ptr<std::atomic<bool>> stop) {
    Device& d = *device;
    Stream& s = d.stream;
    std::span<const uint8_t> frame;
    while (!stop->load(std::memory_order_relaxed)) {
        // Time spent suspended is not the camera's silence: the image under
        // way gets its second again.
        if (waitWhileSuspended(s, *stop) && s.watchdogArmed) {
            s.lastFrameBegins = SteadyClock::now();
        }
        if (frameWatchdogEndsStream(d, SteadyClock::now())) {
            break;
        }
        const auto r = d.transport->receive(kReceivePollMs, frame);
        if (r == Transport::Received::Frame) {
            handleStreamFrame(d, frame, SteadyClock::now());
        } else if (r == Transport::Received::Error) {
            // The adapter failed (unplugged, down): try again shortly.
            sleepMs(10);
        }
    }
    s.receiverEnded = true;
}

void deliveryLoop(Device* device, int index, std::shared_ptr<std::atomic<bool>> stop) {
    tDeliveryThread = true;
    Device& d = *device;
    Stream& s = d.stream;
    TQ_FrameInfo info{};
    info.width = static_cast<uint32_t>(s.width);
    info.height = static_cast<uint32_t>(s.height);
    info.bytesPerPixel = static_cast<uint32_t>(s.bytesPerPixel);
    info.device = static_cast<uint32_t>(index);
    while (!stop->load(std::memory_order_relaxed)) {
        waitWhileSuspended(s, *stop);
        std::unique_lock lock(s.lock);
        if (!s.queueExists) {
            lock.unlock();
            info.image = nullptr;
            if (TQ_FrameCallback cb = d.callback.load()) {
                cb(&info);
            }
            sleepMs(1);
            continue;
        }
        if (s.queueCount.load() == 0) {
            s.queued.wait_for(lock, milliseconds(kIdleWaitMs));
            continue;
        }
        FrameSlot& slot = s.slots[static_cast<size_t>(s.queue[static_cast<size_t>(s.queueHead)])];
        {
            std::lock_guard copy(s.deliveryLock);
            std::memcpy(s.delivery.data(), slot.image.data(), s.imageSize);
        }
        slot.free = true;
        s.queueHead = (s.queueHead + 1) % kFrameSlots;
        s.queueCount.fetch_sub(1);
        lock.unlock();
        info.image = s.delivery.data();
        if (TQ_FrameCallback cb = d.callback.load()) {
            cb(&info);
        }
    }
}

}  // namespace

Conversion conversionOf(const Device& d) {
    const bool k6m = d.sensorId == kSensor1801 && d.model == "K6M";
    const bool k6c = d.sensorId == kSensor1801 && d.model == "K6C";
    if (d.model == "K1M" || d.sensorId == kSensor8431 || k6m) {
        return Conversion::None;
    }
    if (d.sensorId == kSensor1621 || k6c || d.sensorId == kSensor2C01) {
        return Conversion::PhaseByMirror;
    }
    if (d.model == "K3M") {
        return Conversion::K3Mono;
    }
    if (d.model == "K3C") {
        return Conversion::K3Colour;
    }
    return Conversion::SinglePhase;
}

void allocateStreamBuffers(Device& d) {
    Stream& s = d.stream;
    s.width = std::max(d.width, 0);
    s.height = std::max(d.height, 0);
    s.bytesPerPixel = outputBytesPerPixel(conversionOf(d));
    s.geometry =
        streamGeometry(static_cast<uint32_t>(s.width), static_cast<uint32_t>(s.height), d.payload);
    const size_t raw = static_cast<size_t>(s.width) * static_cast<size_t>(s.height);
    s.imageSize = raw * static_cast<size_t>(s.bytesPerPixel);
    // Buffers are sized for the image they will hold now, also when they
    // already exist from an earlier (smaller) geometry.
    s.assembly.assign(raw, 0);
    s.converted.assign(s.imageSize, 0);
    s.rawCopy.assign(s.imageSize, 0);
    s.scratch.assign(raw, 0);
    s.demosaicWork.assign(s.bytesPerPixel == 3 ? s.imageSize : 0, 0);
    {
        std::lock_guard copy(s.deliveryLock);
        s.delivery.assign(s.imageSize, 0);
    }
    {
        std::lock_guard lock(s.lock);
        for (FrameSlot& slot : s.slots) {
            slot.image.assign(s.imageSize, 0);
            slot.free = true;
        }
        s.queueHead = 0;
        s.queueCount = 0;
        s.queueExists = true;
    }
    s.assemblyState = AssemblyState{};
    s.built = true;
}

uint32_t buildStreamBuffers(Device& d) {
    if (!d.transport) {
        return TQ_E_NO_FRAME;
    }
    std::span<const uint8_t> frame;
    if (d.transport->receive(kReplyLimitMs, frame) != Transport::Received::Frame) {
        return TQ_E_NO_FRAME;
    }
    // Five of the largest images the camera can send, so that a burst never
    // overruns the kernel while the receive thread converts.
    const ImageSize largest = largestRawImageOf(d.sensorId, d.model);
    const StreamGeometry g = streamGeometry(static_cast<uint32_t>(largest.width),
                                            static_cast<uint32_t>(largest.height), d.payload);
    const size_t packets = std::max<size_t>(g.packetsPerFrame, 1);
    d.transport->reserveBuffer(5 * packets * (d.payload + wire::kHeaderSize + kPacketOverhead));
    allocateStreamBuffers(d);
    return TQ_SUCCESS;
}

void releaseStreamBuffers(Device& d) {
    Stream& s = d.stream;
    s.built = false;
    auto drop = [](std::vector<uint8_t>& v) { std::vector<uint8_t>().swap(v); };
    drop(s.assembly);
    drop(s.converted);
    drop(s.rawCopy);
    drop(s.scratch);
    drop(s.demosaicWork);
    {
        std::lock_guard copy(s.deliveryLock);
        drop(s.delivery);
    }
    std::lock_guard lock(s.lock);
    for (FrameSlot& slot : s.slots) {
        drop(slot.image);
        slot.free = true;
    }
    s.queueHead = 0;
    s.queueCount = 0;
    s.queueExists = false;
}

bool startStreamThreads(Device& d, int index) {
    Stream& s = d.stream;
    std::vector<std::thread> ended;
    std::unique_lock lock(s.threadsLock);
    // A thread that stopped itself from its callback is joined first (not
    // when it is the caller: a callback that restarts its own device).
    for (auto it = s.leftToJoin.begin(); it != s.leftToJoin.end();) {
        if (it->get_id() == std::this_thread::get_id()) {
            ++it;
        } else {
            ended.push_back(std::move(*it));
            it = s.leftToJoin.erase(it);
        }
    }
    lock.unlock();
    for (std::thread& t : ended) {
        t.join();
    }
    lock.lock();
    // Nothing starts beside a stop that is still joining this device's threads.
    if (!s.built || !d.transport || s.stopsUnderWay != 0) {
        return false;
    }
    try {
        if (!s.receiver.joinable()) {
            s.gamma = buildGammaTable();
            {
                std::lock_guard queueLock(s.lock);
                emptyQueue(s);
                s.queueExists = true;
            }
            s.assemblyState = AssemblyState{};
            s.watchdogArmed = false;
            s.rateWindowStart = SteadyClock::now();
            s.rateWindowFrames = 0;
            s.receiverEnded = false;
            s.stopReceiver = std::make_shared<std::atomic<bool>>(false);
            s.receiver = std::thread(receiveLoop, &d, s.stopReceiver);
            s.receiverAlive = true;
        }
        if (!s.deliverer.joinable()) {
            s.stopDeliverer = std::make_shared<std::atomic<bool>>(false);
            s.deliverer = std::thread(deliveryLoop, &d, index, s.stopDeliverer);
        }
    } catch (const std::exception&) {
        // The system has no thread left for us: run neither.
        lock.unlock();
        stopStreamThreads(d);
        return false;
    }
    return true;
}

bool streamThreadsExist(Device& d) {
    Stream& s = d.stream;
    std::lock_guard lock(s.threadsLock);
    return s.receiver.joinable() || s.deliverer.joinable();
}

void stopStreamThreads(Device& d) {
    Stream& s = d.stream;
    std::vector<std::thread> toJoin;
    bool joinsReceiver = false;
    {
        std::lock_guard lock(s.threadsLock);
        if (s.stopReceiver) {
            s.stopReceiver->store(true);
        }
        if (s.stopDeliverer) {
            s.stopDeliverer->store(true);
        }
        // Each thread object is taken by exactly one stop, which joins it.
        if (s.receiver.joinable()) {
            toJoin.push_back(std::move(s.receiver));
            joinsReceiver = true;
        }
        if (s.deliverer.joinable()) {
            s.leftToJoin.push_back(std::move(s.deliverer));
        }
        for (auto it = s.leftToJoin.begin(); it != s.leftToJoin.end();) {
            if (it->get_id() == std::this_thread::get_id()) {
                ++it;
            } else {
                toJoin.push_back(std::move(*it));
                it = s.leftToJoin.erase(it);
            }
        }
        ++s.stopsUnderWay;
    }
    {
        std::lock_guard lock(s.suspendMutex);
        s.suspended = false;
    }
    s.resumed.notify_all();
    { std::lock_guard lock(s.lock); }
    s.queued.notify_all();
    for (size_t i = 0; i < toJoin.size(); ++i) {
        toJoin[i].join();
        if (i == 0 && joinsReceiver) {
            std::lock_guard lock(s.threadsLock);
            s.receiverAlive = false;
            s.threadsChanged.notify_all();
        }
    }
    std::unique_lock lock(s.threadsLock);
    --s.stopsUnderWay;
    s.threadsChanged.notify_all();
    // Another stop may be joining threads that must be gone when this one
    // returns. A delivery thread waits only for the receive thread: the other
    // stop may be joining the delivery thread itself.
    if (tDeliveryThread) {
        s.threadsChanged.wait(lock, [&s] { return !s.receiverAlive; });
    } else {
        s.threadsChanged.wait(lock, [&s] { return s.stopsUnderWay == 0; });
    }
}

void suspendStream(Device& d, bool suspend) {
    Stream& s = d.stream;
    {
        std::lock_guard lock(s.suspendMutex);
        s.suspended = suspend;
    }
    s.resumed.notify_all();
}

StreamPause::StreamPause(Device& d, int index)
    : device_(d),
      index_(index),
      restart_(d.capturing.load() != 0 && streamThreadsExist(d)),
      suspended_(d.stream.suspended.load()) {
    // Also when nothing is to be restarted: a stop from the callback may
    // still be joining the receive thread, which must be gone before the
    // buffers change.
    stopStreamThreads(d);
    if (suspended_) {
        suspendStream(d, true);
    }
}

StreamPause::~StreamPause() {
    if (!restart_) {
        return;
    }
    // Capture may have been stopped meanwhile (from the callback), or the
    // camera stopped answering; a stream that cannot run again is reported
    // as stopped rather than left marked as capturing.
    Device& d = device_;
    if (d.capturing.load() != 0 && d.open.load() != 0 && startStreamThreads(d, index_)) {
        return;  // a suspended stream is still suspended
    }
    suspendStream(d, false);
    d.capturing = 0;
}

bool handleStreamFrame(Device& d, std::span<const uint8_t> frame, SteadyClock::time_point now) {
    Stream& s = d.stream;
    switch (wire::classifyFrame(frame)) {
        case wire::FrameKind::SensorReply:
            // The register page shows values read while streaming.
            if (d.registerDisplay.load() != 0) {
                if (auto v = wire::byteWideReplyValue(frame)) {
                    s.registerReplyValue = *v;
                }
            }
            return false;
        case wire::FrameKind::StreamStatus:
            if (wire::streamStatusCode(frame) == wire::kStreamStatusFrameBegins) {
                s.watchdogArmed = true;
                s.lastFrameBegins = now;
            }
            return false;
        case wire::FrameKind::ImageData:
            break;
        default:
            return false;
    }
    if (!s.built) {
        return false;
    }
    uint8_t* target = conversionOf(d) == Conversion::None ? s.converted.data() : s.assembly.data();
    const PacketOutcome out = assembleDataPacket(s.assemblyState, s.geometry, frame, target);
    countLosses(s, out);
    if (out.action != PacketAction::PlacedLast) {
        return false;
    }
    // The image is complete once its last packet is in place; a lost packet
    // leaves the previous image's bytes where it belonged.
    s.watchdogArmed = false;
    convertImage(d);
    queueConvertedImage(d, now);
    return true;
}

bool frameWatchdogEndsStream(Device& d, SteadyClock::time_point now) {
    Stream& s = d.stream;
    if (!s.watchdogArmed || now - s.lastFrameBegins <= milliseconds(kFrameWatchdogMs)) {
        return false;
    }
    s.watchdogArmed = false;
    if (d.snap.preview.load() == 0) {
        // In snapshot mode a quiet camera is the rule: it waits for the next
        // trigger. An image that lost its last packets (or a stream status
        // frame that anyone on the segment can send) must not end capture:
        // the image is given up, its missing packets counted.
        countLosses(s, abandonImage(s.assemblyState, s.geometry));
        return false;
    }
    // A previewing camera that announced an image and then went quiet: give
    // up the stream; the delivery thread reports it with empty records.
    {
        std::lock_guard lock(s.lock);
        emptyQueue(s);
        s.queueExists = false;
    }
    // Marked before the delivery thread hears of it, so whoever sees the
    // empty records also sees the receiver gone.
    s.receiverEnded = true;
    s.queued.notify_all();
    return true;
}

void convertImage(Device& d) {
    Stream& s = d.stream;
    const int w = s.width;
    const int h = s.height;
    const size_t raw = static_cast<size_t>(w) * static_cast<size_t>(h);
    const int mirror = d.mirrorMode.load(std::memory_order_relaxed);
    const bool colour = d.colour.load(std::memory_order_relaxed) != 0;
    const Conversion c = conversionOf(d);
    switch (c) {
        case Conversion::None:
            return;
        case Conversion::K3Mono:
            mirrorCopy(s.assembly.data(), w, h, mirror, s.converted.data());
            return;
        case Conversion::K3Colour:
            mirrorCopy(s.assembly.data(), w, h, mirror, s.scratch.data());
            if (colour) {
                demosaicBottomUp(s.scratch.data(), w, h, mirroredPhase(kCameraMosaicPhase, mirror),
                                 s.converted.data(), s.demosaicWork);
            } else {
                greyBottomUp(s.scratch.data(), w, h, s.converted.data());
            }
            return;
        case Conversion::PhaseByMirror:
        case Conversion::SinglePhase: {
            const uint8_t* src = s.assembly.data();
            if (d.gammaOn.load(std::memory_order_relaxed) != 0) {
                applyTable(src, raw, s.gamma, s.scratch.data());
                src = s.scratch.data();
            }
            if (colour) {
                const BayerPhase phase = c == Conversion::PhaseByMirror
                                             ? mirroredPhase(kCameraMosaicPhase, mirror)
                                             : kCameraMosaicPhase;
                demosaicBottomUp(src, w, h, phase, s.converted.data(), s.demosaicWork);
            } else {
                greyBottomUp(src, w, h, s.converted.data());
            }
            return;
        }
    }
}

void queueConvertedImage(Device& d, SteadyClock::time_point now) {
    Stream& s = d.stream;
    {
        std::lock_guard lock(s.lock);
        if (s.queueExists) {
            const bool full = s.queueCount.load() >= kFrameSlots ||
                              std::none_of(s.slots.begin(), s.slots.end(),
                                           [](const FrameSlot& f) { return f.free; });
            // In snapshot mode only the newest image waits.
            if (full || d.snap.preview.load() == 0) {
                emptyQueue(s);
            }
            const auto slot =
                static_cast<size_t>(std::find_if(s.slots.begin(), s.slots.end(),
                                                 [](const FrameSlot& f) { return f.free; }) -
                                    s.slots.begin());
            std::memcpy(s.slots[slot].image.data(), s.converted.data(), s.imageSize);
            s.slots[slot].free = false;
            s.queue[static_cast<size_t>((s.queueHead + s.queueCount.load()) % kFrameSlots)] =
                static_cast<int>(slot);
            s.queueCount.fetch_add(1);
            d.snap.triggerPending = 0;
            if (d.rawCopy.load() != 0) {
                std::memcpy(s.rawCopy.data(), s.converted.data(), s.imageSize);
            }
        }
        // Counted before the delivery thread can see it: a delivered image
        // is always a counted one.
        s.framesReceived.fetch_add(1, std::memory_order_relaxed);
    }
    s.queued.notify_one();
    ++s.rateWindowFrames;
    const auto elapsed = now - s.rateWindowStart;
    if (elapsed > milliseconds(2000)) {
        // Frames over the window's real length: a slow stream is not halved.
        s.frameRate = s.rateWindowFrames / std::chrono::duration<double>(elapsed).count();
        s.rateWindowStart = now;
        s.rateWindowFrames = 0;
    }
}

}  // namespace ostrel
