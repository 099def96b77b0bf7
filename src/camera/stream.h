// A device's image stream: buffers, receive and delivery threads, ready queue.
//
// The receive thread reads every frame of the device, puts data packets in
// place, converts each complete image and queues it; the delivery thread
// copies the oldest queued image out and calls the user's callback. At most
// five images wait; in snapshot mode only the newest.
#pragma once

#include <cstdint>
#include <span>

#include "camera/device_table.h"

namespace ostrel {

// Reads one frame (up to 1000 ms) to see that the camera sends, then sizes
// the kernel buffer and allocates the buffers for the device's image size.
// Answers TQ_SUCCESS, or TQ_E_NO_FRAME (nothing built) when no frame came.
uint32_t buildStreamBuffers(Device& d);
// The allocation part of the build, with no I/O.
void allocateStreamBuffers(Device& d);
// Frees the buffers, the slots and the ready queue.
void releaseStreamBuffers(Device& d);

// Starts whichever of the two threads is not running. False (nothing
// started) when there are no buffers to run on, the system gives no thread,
// or another caller is stopping them right now.
bool startStreamThreads(Device& d, int index);
// Stops both threads and waits for them; safe from several threads at once
// and from the device's own callback. When it returns no thread of the
// device runs but, when called from the callback, the calling delivery
// thread itself (joined later, once its callback has returned).
void stopStreamThreads(Device& d);
// Whether either thread exists (it may have ended on its own: the watchdog).
bool streamThreadsExist(Device& d);
void suspendStream(Device& d, bool suspend);

// Stops the threads of a capturing device for the life of the guard, so that
// requests with replies and buffer rebuilds do not run beside them. They
// start again as they were (a suspended stream stays suspended); when they
// cannot (no buffers after a failed rebuild, a camera that stopped
// answering), capture is marked stopped.
class StreamPause {
  public:
    StreamPause(Device& d, int index);
    ~StreamPause();
    StreamPause(const StreamPause&) = delete;
    StreamPause& operator=(const StreamPause&) = delete;

  private:
    Device& device_;
    int index_;
    bool restart_;
    bool suspended_;
};

// What the receive thread does with one frame; the image is converted and
// queued when its last packet is put in place. Returns true on a completed image.
bool handleStreamFrame(Device& d, std::span<const uint8_t> frame, SteadyClock::time_point now);

// The frame watchdog, checked before each read: an image announced more
// than a second ago has not completed. In snapshot mode the image is given
// up and its losses counted; in preview the stream ends (true): the ready
// queue is freed and the delivery thread hands out empty records.
bool frameWatchdogEndsStream(Device& d, SteadyClock::time_point now);

// Converts the assembly buffer into the converted buffer for the device's camera.
void convertImage(Device& d);
// Queues the converted image (ready-queue rules) and counts it.
void queueConvertedImage(Device& d, SteadyClock::time_point now);

// How the packets of a camera become its image.
enum class Conversion : uint8_t {
    None,           // mono: packets go straight to the converted buffer
    PhaseByMirror,  // 0x1621, 0x1801 K6C, 0x2C01: gamma, demosaic variant by mirror mode
    K3Mono,         // mirror copy
    K3Colour,       // mirror copy, then demosaic variant by mirror mode
    SinglePhase,    // all others: gamma, one demosaic variant
};
Conversion conversionOf(const Device& d);

}  // namespace ostrel
