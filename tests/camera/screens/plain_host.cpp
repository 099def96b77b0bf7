// A host program that uses the driver with no Qt application of its own, as
// a plain C program would, and shows the driver's pages.
//
//   no-display: there is no display: the pages answer a failure code and the
//               camera goes on streaming as before.
//   offscreen:  the page module makes a Qt application for the call and the
//               page runs until it is closed (here by a helper thread, through
//               the application's own event queue); after the call nothing of
//               Qt is left, and the next call, from another thread, works too.
#include <QApplication>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ostrel.h"

namespace {

int fails = 0;

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FAILED: %s\n", what);
        ++fails;
    }
}

void onFrame(TQ_FrameInfo*) {}

// The simulated camera: the last adapter.
int openSimulatedCamera() {
    TQ_DeviceNode* list = nullptr;
    int count = 0;
    if (TQ_EnumerateDevice(&list, &count) != TQ_SUCCESS || count == 0) {
        return -1;
    }
    while (list != nullptr) {
        TQ_DeviceNode* next = list->next;
        std::free(list->name);
        std::free(list->description);
        std::free(list->hardwareAddress);
        std::free(list);
        list = next;
    }
    const int device = count - 1;
    if (TQ_OpenDevice(device) != TQ_SUCCESS || TQ_DevCapInit(device, nullptr) != TQ_SUCCESS) {
        return -1;
    }
    TQ_SetCallBack(&onFrame, device);
    return TQ_StartCapture(device) == TQ_SUCCESS ? device : -1;
}

uint32_t framesOf(int device) {
    uint32_t frames = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    TQ_GetTestInfo(&frames, &lost, &withLosses, device);
    return frames;
}

bool framesGoOn(int device) {
    const uint32_t before = framesOf(device);
    for (int i = 0; i < 100 && framesOf(device) == before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return framesOf(device) > before;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const int device = openSimulatedCamera();
    if (device < 0) {
        std::fprintf(stderr, "FAILED: no simulated camera\n");
        return 1;
    }
    if (mode == "no-display") {
        check(TQ_ShowSnapshotPage(device) == TQ_E_FAILED, "snapshot page without display fails");
        check(TQ_ShowControlPage(device) == TQ_E_FAILED, "control page without display fails");
        check(TQ_ShowRWPage(device) == TQ_E_FAILED, "register page without display fails");
        check(QCoreApplication::instance() == nullptr, "no application was made");
        check(framesGoOn(device), "the camera streams on");
    } else if (mode == "offscreen") {
        for (int round = 0; round < 2; ++round) {
            std::atomic<bool> shown{false};
            // Closes the page once the module has made its application.
            std::thread closer([&shown] {
                while (!shown.load()) {
                    if (QCoreApplication* app = QCoreApplication::instance()) {
                        QMetaObject::invokeMethod(
                            app,
                            [] {
                                if (QWidget* page = QApplication::activeModalWidget()) {
                                    page->close();
                                }
                            },
                            Qt::QueuedConnection);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            });
            uint32_t status = 0;
            if (round == 0) {
                status = TQ_ShowSnapshotPage(device);
            } else {
                // The second call comes from a thread of its own.
                std::thread caller([&] { status = TQ_ShowSnapshotPage(device); });
                caller.join();
            }
            shown = true;
            closer.join();
            check(status == TQ_SUCCESS, "the page ran and was closed");
            check(QCoreApplication::instance() == nullptr, "no application is left");
        }
        check(framesGoOn(device), "the camera streams on");
    } else {
        std::fprintf(stderr, "usage: camera_pages_plain_host no-display|offscreen\n");
        return 2;
    }
    TQ_StopCapture(device);
    TQ_CloseDevice(device);
    std::printf("%s: %s\n", mode.c_str(), fails == 0 ? "passed" : "failed");
    return fails == 0 ? 0 : 1;
}
