/* ostrel: driver library of the machine's Ethernet camera; the whole public interface. */
#ifndef OSTREL_H
#define OSTREL_H

#include <stdint.h>

#if defined(_WIN32)
#if defined(OSTREL_BUILDING)
#define OSTREL_API __declspec(dllexport)
#else
#define OSTREL_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define OSTREL_API __attribute__((visibility("default")))
#else
#define OSTREL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Status codes. Every call that reports a result answers one of these; test
 * for equality with TQ_SUCCESS.
 */
#define TQ_SUCCESS UINT32_C(0x20000000)
#define TQ_E_FAILED UINT32_C(0xE0000000)               /* already open, index out of range, send failed, ... */
#define TQ_E_DEVICE_NOT_FOUND UINT32_C(0xE0000001)     /* or not available on this camera */
#define TQ_E_DEVICE_INIT UINT32_C(0xE0000002)          /* the adapter cannot be opened */
#define TQ_E_DEVICE_NOT_OPEN UINT32_C(0xE0000003)
#define TQ_E_CAPTURE_INIT UINT32_C(0xE0000004)
#define TQ_E_CAPTURE_NOT_INIT UINT32_C(0xE0000005)
#define TQ_E_CAPTURE_STOPPED UINT32_C(0xE0000006)      /* stop without start */
#define TQ_E_PARAMETER UINT32_C(0xE000000A)            /* argument out of range */
#define TQ_E_MIRROR_MODE UINT32_C(0xE000000F)
#define TQ_E_NOT_ADJUSTABLE UINT32_C(0xE0000011)       /* this sensor has no such setting */
#define TQ_E_SOFTWARE_TRIGGER UINT32_C(0xE000001E)
#define TQ_E_NO_FRAME UINT32_C(0xE0000100)             /* no frame arrived while building the stream buffers */
#define TQ_E_NO_REPLY UINT32_C(0xE0000101)             /* the camera did not answer within 1000 ms */

/*
 * One node of the adapter list made by TQ_EnumerateDevice. The device index
 * of a camera is the position of its adapter in this list. The list belongs
 * to the caller: every node, and each of its three fields, is allocated with
 * malloc and is freed with free.
 */
typedef struct TQ_DeviceNode {
    char* name;                    /* the adapter's system name */
    char* description;             /* as the capture library describes it */
    unsigned char* hardwareAddress; /* 6 bytes */
    struct TQ_DeviceNode* next;    /* null at the end */
} TQ_DeviceNode;

/*
 * What the frame callback receives. `image` is the library's buffer, valid
 * until the callback returns; it is null when the camera stopped sending in
 * the middle of an image (then no copy may be made). Three-byte pixels are in
 * blue, green, red order with rows bottom-up; one-byte pixels top-down.
 */
typedef struct TQ_FrameInfo {
    unsigned char* image;
    uint32_t width;
    uint32_t height;
    uint32_t bytesPerPixel;
    uint32_t device;
} TQ_FrameInfo;

/* Called on the library's delivery thread; it should copy what it needs and return. */
typedef void (*TQ_FrameCallback)(TQ_FrameInfo* frame);

/* Filled by TQ_GetParamInfo, kind 0. */
typedef struct TQ_VideoInfo {
    uint16_t width;
    uint16_t height;
} TQ_VideoInfo;

typedef struct TQ_Resolution {
    int32_t width;
    int32_t height;
} TQ_Resolution;

typedef struct TQ_Range {
    int32_t maximum;
    int32_t minimum;
} TQ_Range;

typedef struct TQ_ExposureInfo {
    int32_t enable;
    int32_t autoMode;
    int32_t rangeMaximum;
    int32_t rangeMinimum;
    int32_t value; /* rows of the shutter */
} TQ_ExposureInfo;

/* Gains: global, G1, G2, R, B. Black levels: calibration, G1, G2, R, B. */
typedef struct TQ_GainInfo {
    int32_t enable;
    int32_t autoMode;
    int32_t rangeMaximum;
    int32_t rangeMinimum;
    int32_t values[5];
} TQ_GainInfo;

typedef TQ_GainInfo TQ_BlackLevelInfo;

typedef struct TQ_SnapInfo {
    int32_t preview;       /* 1 preview, 0 snapshot */
    int32_t snapKind;      /* 0..3 */
    int32_t debounceTime;
    int32_t exposureTime;  /* microseconds */
    int32_t triggerFrequency;
    int32_t triggerImageCount;
    int32_t exposureTimeMaximum;
    int32_t exposureTimeMinimum;
    int32_t triggerFrequencyMaximum;
    int32_t triggerFrequencyMinimum;
    int32_t inputMode;     /* 0 falling edge, 1 rising edge, 2 low level, 3 high level */
    int32_t outputMode;    /* 0 low level, 1 high level */
} TQ_SnapInfo;

/* Device and capture. Calling order: enumerate (optional), open, capture
 * initialisation, settings, callback, start ... stop, close. Calls for one
 * device come from one thread at a time; the callback may use the Get calls. */
OSTREL_API uint32_t TQ_EnumerateDevice(TQ_DeviceNode** list, int* count);
OSTREL_API uint32_t TQ_OpenDevice(int device);
OSTREL_API uint32_t TQ_DevCapInit(int device, const char* settingsFolder);
OSTREL_API void TQ_DevCapRelease(int device);
OSTREL_API void TQ_CloseDevice(int device);
OSTREL_API int TQ_SetCallBack(TQ_FrameCallback callback, int device);
OSTREL_API uint32_t TQ_StartCapture(int device);
OSTREL_API uint32_t TQ_StopCapture(int device);
OSTREL_API uint32_t TQ_SuspendCapture(int suspend, int device);

/* Image data and information. */
/* Frees *buffer (when not null; it must come from malloc or an earlier call)
 * and gives back a new malloc'ed copy of the last delivered image. */
OSTREL_API uint32_t TQ_GetFrameBuffer(uint32_t* size, unsigned char** buffer, int* width,
                                      int* height, int device);
OSTREL_API uint32_t TQ_GetRawData(TQ_FrameInfo* frame, int device);
OSTREL_API uint32_t TQ_GetRGBData(TQ_FrameInfo* frame, int device);
OSTREL_API uint32_t TQ_GetParamInfo(int kind, TQ_VideoInfo* info, int device);
OSTREL_API uint32_t TQ_GetFrameRate(double* framesPerSecond, int device);
OSTREL_API uint32_t TQ_GetTestInfo(uint32_t* frames, uint32_t* packetsLost,
                                   uint32_t* framesWithLosses, int device);
OSTREL_API uint32_t TQ_SaveImg(const unsigned char* image, const char* fileName, int width,
                               int height, uint32_t size, int device);
/* GBK text of a status code, in one library-wide buffer of 1024 bytes. */
OSTREL_API const char* TQ_GetErrorString(uint32_t status);
OSTREL_API uint32_t TQ_GetImageChannel(int* bytesPerPixel, int device);
OSTREL_API uint32_t TQ_GetMaxResolution(int* width, int* height, int device);
OSTREL_API uint32_t TQ_GetResolution(TQ_Resolution* resolution, int device);

/* Image settings. Mirror modes: 0 normal, 1 vertical, 2 horizontal, 3 both. */
OSTREL_API uint32_t TQ_SetImageMirror(int mode, int device);
OSTREL_API uint32_t TQ_GetImageMirror(int* mode, int device);
OSTREL_API uint32_t TQ_SetImageColorStat(int color, int device);
OSTREL_API uint32_t TQ_GetImageColorStat(int* color, int device);
OSTREL_API uint32_t TQ_SetImageGammaStat(int gamma, int device);
OSTREL_API uint32_t TQ_GetImageGammaStat(int* gamma, int device);
OSTREL_API uint32_t TQ_SetResolution(int width, int height, int device);
OSTREL_API uint32_t TQ_SetROI(int columnOffset, int rowOffset, int width, int height, int device);
OSTREL_API uint32_t TQ_SetResolutionMode(int mode, int device);
OSTREL_API uint32_t TQ_SetPacketSize(int payloadBytes, int device);

/* Exposure (rows of the shutter). */
OSTREL_API uint32_t TQ_SetExposureEnable(int enable, int device);
OSTREL_API uint32_t TQ_GetExposureEnable(int* enable, int device);
OSTREL_API uint32_t TQ_SetExposureAuto(int autoMode, int device);
OSTREL_API uint32_t TQ_GetExposureAuto(int* autoMode, int device);
OSTREL_API uint32_t TQ_SetExposureRange(int maximum, int minimum, int device);
OSTREL_API uint32_t TQ_GetExposureRange(int* maximum, int* minimum, int device);
OSTREL_API uint32_t TQ_SetExposureValue(int value, int device);
OSTREL_API uint32_t TQ_GetExposureValue(int* value, int device);
OSTREL_API uint32_t TQ_SetExposureInfo(int enable, int autoMode, int maximum, int minimum,
                                       int value, int device);
OSTREL_API uint32_t TQ_GetExposureInfo(TQ_ExposureInfo* info, int device);

/* Gain: five values, global, G1, G2, R, B. */
OSTREL_API uint32_t TQ_SetGainEnable(int enable, int device);
OSTREL_API uint32_t TQ_GetGainEnable(int* enable, int device);
OSTREL_API uint32_t TQ_SetGainAuto(int autoMode, int device);
OSTREL_API uint32_t TQ_GetGainAuto(int* autoMode, int device);
OSTREL_API uint32_t TQ_SetGainRange(int maximum, int minimum, int device);
OSTREL_API uint32_t TQ_GetGainRange(int* maximum, int* minimum, int device);
OSTREL_API uint32_t TQ_SetGainValue(const int* gains, int device);
OSTREL_API uint32_t TQ_GetGainValue(int* gains, int device);
OSTREL_API uint32_t TQ_SetGainInfo(int enable, int autoMode, int maximum, int minimum,
                                   const int* gains, int device);
OSTREL_API uint32_t TQ_GetGainInfo(TQ_GainInfo* info, int device);

/* Black level: five values, calibration, G1, G2, R, B. */
OSTREL_API uint32_t TQ_SetBlackLevelEnable(int enable, int device);
OSTREL_API uint32_t TQ_GetBlackLevelEnable(int* enable, int device);
OSTREL_API uint32_t TQ_SetBlackLevelAuto(int autoMode, int device);
OSTREL_API uint32_t TQ_GetBlackLevelAuto(int* autoMode, int device);
OSTREL_API uint32_t TQ_SetBlackLevelRange(int maximum, int minimum, int device);
OSTREL_API uint32_t TQ_GetBlackLevelRange(int* maximum, int* minimum, int device);
OSTREL_API uint32_t TQ_SetBlackLevelValue(const int* values, int device);
OSTREL_API uint32_t TQ_GetBlackLevelValue(int* values, int device);
OSTREL_API uint32_t TQ_SetBlackLevelInfo(int enable, int autoMode, int maximum, int minimum,
                                         const int* values, int device);
OSTREL_API uint32_t TQ_GetBlackLevelInfo(TQ_BlackLevelInfo* info, int device);

/* Snapshot and trigger. */
OSTREL_API uint32_t TQ_SetPreviewSnapMode(int preview, int snapKind, int device);
OSTREL_API uint32_t TQ_GetPreviewSnapMode(int* preview, int* snapKind, int device);
OSTREL_API uint32_t TQ_SnapSWTrigger(int device);
OSTREL_API uint32_t TQ_SetSnapTrigFreqImgCount(int frequency, int imageCount, int device);
OSTREL_API uint32_t TQ_GetSnapTrigFreqImgCount(int* frequency, int* imageCount, int device);
OSTREL_API uint32_t TQ_GetTrigFreqRange(TQ_Range* range, int device);
OSTREL_API uint32_t TQ_GetTrigImgCountRange(TQ_Range* range, int device);
OSTREL_API uint32_t TQ_SetSnapDebounceTime(int time, int device);
OSTREL_API uint32_t TQ_GetSnapDebounceTime(int* time, int device);
OSTREL_API uint32_t TQ_SetSnapExpTime(int microseconds, int device);
OSTREL_API uint32_t TQ_GetSnapExpTime(int* microseconds, int device);
OSTREL_API uint32_t TQ_GetSnapExpTimeRange(TQ_Range* range, int device);
OSTREL_API uint32_t TQ_SetSnapIOMode(int inputMode, int outputMode, int device);
OSTREL_API uint32_t TQ_GetSnapIOMode(int* inputMode, int* outputMode, int device);
OSTREL_API uint32_t TQ_SetSnapInfo(int preview, int snapKind, int debounceTime, int exposureTime,
                                   int triggerFrequency, int triggerImageCount,
                                   int exposureTimeMaximum, int exposureTimeMinimum,
                                   int triggerFrequencyMaximum, int triggerFrequencyMinimum,
                                   int inputMode, int outputMode, int device);
OSTREL_API uint32_t TQ_GetSnapInfo(TQ_SnapInfo* info, int device);

/* Settings file and the library's own pages. The settings file of a camera
 * is FOLDER/MODELn.ini (n the device index; no folder: the current
 * directory). The load applies it, missing keys taking their defaults and
 * out-of-range values corrected in the file, and keeps the folder for the
 * save; the save answers TQ_E_FAILED when the file cannot be written. */
OSTREL_API uint32_t TQ_SaveParaToIniFile(int device);
OSTREL_API uint32_t TQ_IniCamFromIniFile(int device, const char* settingsFolder);
OSTREL_API uint32_t TQ_ShowControlPage(int device);
OSTREL_API uint32_t TQ_ShowRWPage(int device);
OSTREL_API uint32_t TQ_ShowSnapshotPage(int device);

#ifdef __cplusplus
}
#endif

#endif /* OSTREL_H */
