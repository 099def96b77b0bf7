/* ostrel-example: capture from a camera with nothing but ostrel.h.
 *
 * Usage: ostrel-example [ADAPTER]
 * Without an adapter name it takes the simulated camera (set
 * OSTREL_SIMULATED_CAMERA=K1M). Exits 0 when every step worked. */
#define _POSIX_C_SOURCE 200809L

#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "ostrel.h"

static atomic_int frames;
static atomic_int badFrames;
static atomic_uint expectedWidth;
static atomic_uint expectedHeight;
static atomic_uint expectedBytes;

/* Runs on the library's delivery thread: look, count, return. */
static void onFrame(TQ_FrameInfo* frame) {
    if (frame->image == NULL) {
        return; /* the camera stopped in the middle of an image */
    }
    if (frame->width != atomic_load(&expectedWidth) ||
        frame->height != atomic_load(&expectedHeight) ||
        frame->bytesPerPixel != atomic_load(&expectedBytes)) {
        atomic_fetch_add(&badFrames, 1);
    }
    atomic_fetch_add(&frames, 1);
}

static void sleepMs(long ms) {
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

/* Waits up to `ms` for at least `count` frames. */
static int waitFrames(int count, long ms) {
    for (long waited = 0; waited < ms; waited += 10) {
        if (atomic_load(&frames) >= count) {
            return 1;
        }
        sleepMs(10);
    }
    return atomic_load(&frames) >= count;
}

static int check(const char* step, uint32_t status, uint32_t expected) {
    if (status != expected) {
        fprintf(stderr, "ostrel-example: %s answered 0x%08X, expected 0x%08X\n", step,
                (unsigned)status, (unsigned)expected);
        return 0;
    }
    printf("%-28s 0x%08X\n", step, (unsigned)status);
    return 1;
}

static void freeList(TQ_DeviceNode* node) {
    while (node != NULL) {
        TQ_DeviceNode* next = node->next;
        free(node->name);
        free(node->description);
        free(node->hardwareAddress);
        free(node);
        node = next;
    }
}

int main(int argc, char** argv) {
    const char* wanted = argc > 1 ? argv[1] : NULL;
    TQ_DeviceNode* list = NULL;
    int count = 0;
    if (!check("TQ_EnumerateDevice", TQ_EnumerateDevice(&list, &count), TQ_SUCCESS)) {
        return 1;
    }
    int device = -1;
    int index = 0;
    for (TQ_DeviceNode* n = list; n != NULL; n = n->next, ++index) {
        const int match = wanted != NULL ? strcmp(n->name, wanted) == 0
                                         : strncmp(n->description, "Simulated camera", 16) == 0;
        if (match) {
            device = index;
            printf("camera on adapter %d: %s (%s)\n", index, n->name, n->description);
        }
    }
    freeList(list);
    if (device < 0) {
        fprintf(stderr, "ostrel-example: no %s among %d adapters\n",
                wanted != NULL ? wanted : "simulated camera", count);
        return 1;
    }

    int ok = check("TQ_OpenDevice", TQ_OpenDevice(device), TQ_SUCCESS) &&
             check("TQ_DevCapInit", TQ_DevCapInit(device, NULL), TQ_SUCCESS);
    int maxWidth = 0;
    int maxHeight = 0;
    int channels = 0;
    ok = ok && check("TQ_GetMaxResolution", TQ_GetMaxResolution(&maxWidth, &maxHeight, device),
                     TQ_SUCCESS);
    ok = ok && check("TQ_GetImageChannel", TQ_GetImageChannel(&channels, device), TQ_SUCCESS);
    const int width = maxWidth < 640 ? maxWidth : 640;
    const int height = maxHeight < 480 ? maxHeight : 480;
    atomic_store(&expectedWidth, (unsigned)width);
    atomic_store(&expectedHeight, (unsigned)height);
    atomic_store(&expectedBytes, (unsigned)channels);
    ok = ok && check("TQ_SetResolution", TQ_SetResolution(width, height, device), TQ_SUCCESS);
    if (ok) {
        TQ_SetCallBack(onFrame, device);
    }
    ok = ok && check("TQ_StartCapture", TQ_StartCapture(device), TQ_SUCCESS);
    if (ok && !waitFrames(10, 10000)) {
        fprintf(stderr, "ostrel-example: only %d frames in 10 s\n", atomic_load(&frames));
        ok = 0;
    }

    double rate = 0;
    for (int i = 0; ok && i < 50 && rate <= 0; ++i) {
        sleepMs(100); /* the rate is measured over two-second windows */
        TQ_GetFrameRate(&rate, device);
    }
    uint32_t received = 0;
    uint32_t lost = 0;
    uint32_t withLosses = 0;
    ok = ok && check("TQ_GetTestInfo", TQ_GetTestInfo(&received, &lost, &withLosses, device),
                     TQ_SUCCESS);
    if (ok) {
        printf("%d x %d x %d: %u frames, %.1f frames/s, %u packets lost in %u frames\n", width,
               height, channels, (unsigned)received, rate, (unsigned)lost, (unsigned)withLosses);
    }

    /* Snapshot mode: one image per software trigger. */
    ok = ok && check("TQ_SetPreviewSnapMode", TQ_SetPreviewSnapMode(0, 0, device), TQ_SUCCESS);
    if (ok) {
        sleepMs(300);
        atomic_store(&frames, 0);
    }
    ok = ok && check("TQ_SnapSWTrigger", TQ_SnapSWTrigger(device), TQ_SUCCESS);
    if (ok && !waitFrames(1, 5000)) {
        fprintf(stderr, "ostrel-example: no frame after the software trigger\n");
        ok = 0;
    }

    ok = ok && check("TQ_StopCapture", TQ_StopCapture(device), TQ_SUCCESS);
    ok = ok && check("TQ_StopCapture again", TQ_StopCapture(device), TQ_E_CAPTURE_STOPPED);
    TQ_CloseDevice(device);
    if (atomic_load(&badFrames) != 0) {
        fprintf(stderr, "ostrel-example: %d frames of the wrong size\n", atomic_load(&badFrames));
        ok = 0;
    }
    if (ok && rate <= 0) {
        fprintf(stderr, "ostrel-example: no frame rate\n");
        ok = 0;
    }
    printf(ok ? "ostrel-example: ok\n" : "ostrel-example: failed\n");
    return ok ? 0 : 1;
}
