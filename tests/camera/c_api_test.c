/* The public header from C: it compiles alone, and its calls answer bad
 * arguments with status codes. */
#include <stdio.h>
#include <string.h>

#include "ostrel.h"

static int failures;

#define EXPECT(cond)                                                     \
    do {                                                                 \
        if (!(cond)) {                                                   \
            fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond);   \
            ++failures;                                                  \
        }                                                                \
    } while (0)

static void ignore(TQ_FrameInfo* frame) { (void)frame; }

int main(void) {
    EXPECT(TQ_SUCCESS == 0x20000000u);
    EXPECT(TQ_E_NO_REPLY == 0xE0000101u);
    EXPECT(sizeof(TQ_VideoInfo) == 4);
    EXPECT(sizeof(TQ_GainInfo) == 9 * 4);
    EXPECT(sizeof(TQ_SnapInfo) == 12 * 4);
    EXPECT(strlen(TQ_GetErrorString(TQ_SUCCESS)) == 8); /* four GBK characters */
    EXPECT(TQ_GetErrorString(0x20000001u)[0] == '\0');

    /* A device that was never opened. */
    EXPECT(TQ_StopCapture(5) == TQ_E_CAPTURE_STOPPED);
    EXPECT(TQ_StartCapture(5) == TQ_E_DEVICE_NOT_OPEN);
    EXPECT(TQ_SetCallBack(ignore, 5) == 5);
    EXPECT(TQ_SetImageMirror(4, 5) == TQ_E_MIRROR_MODE);
    TQ_Range range;
    EXPECT(TQ_GetTrigFreqRange(&range, 5) == TQ_E_DEVICE_NOT_FOUND);
    EXPECT(TQ_ShowControlPage(5) == TQ_E_DEVICE_NOT_OPEN);
    TQ_CloseDevice(5);

    printf("%d passed, %d failed\n", failures == 0 ? 1 : 0, failures == 0 ? 0 : 1);
    return failures == 0 ? 0 : 1;
}
