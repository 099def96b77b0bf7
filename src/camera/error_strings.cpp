// TQ_GetErrorString: the status texts in the GBK code page.
#include <cstring>

#include "camera/ostrel.h"

namespace {

struct StatusText {
    uint32_t status;
    const char* gbk;
};

// GBK bytes of the eight texts (the English is their meaning).
constexpr StatusText kTexts[] = {
    // "operation succeeded"
    {TQ_SUCCESS, "\xb2\xd9\xd7\xf7\xb3\xc9\xb9\xa6"},
    // "operation failed"
    {TQ_E_FAILED, "\xb2\xd9\xd7\xf7\xca\xa7\xb0\xdc"},
    // "the specified device cannot be found"
    {TQ_E_DEVICE_NOT_FOUND, "\xd5\xd2\xb2\xbb\xb5\xbd\xd6\xb8\xb6\xa8\xb5\xc4\xc9\xe8\xb1\xb8"},
    // "device initialisation failed"
    {TQ_E_DEVICE_INIT, "\xc9\xe8\xb1\xb8\xb3\xf5\xca\xbc\xbb\xaf\xca\xa7\xb0\xdc"},
    // "device not initialised"
    {TQ_E_DEVICE_NOT_OPEN, "\xc3\xbb\xd3\xd0\xb3\xf5\xca\xbc\xbb\xaf\xc9\xe8\xb1\xb8"},
    // "capture initialisation failed"
    {TQ_E_CAPTURE_INIT, "\xb2\xb6\xbb\xf1\xb3\xf5\xca\xbc\xbb\xaf\xca\xa7\xb0\xdc"},
    // "capture not initialised"
    {TQ_E_CAPTURE_NOT_INIT, "\xc3\xbb\xd3\xd0\xb3\xf5\xca\xbc\xbb\xaf\xb2\xb6\xbb\xf1"},
    // "capture has stopped"
    {TQ_E_CAPTURE_STOPPED, "\xb2\xb6\xbb\xf1\xd2\xd1\xcd\xa3\xd6\xb9"},
};

char gText[1024];

}  // namespace

extern "C" OSTREL_API const char* TQ_GetErrorString(uint32_t status) {
    std::memset(gText, 0, sizeof gText);
    for (const StatusText& t : kTexts) {
        if (t.status == status) {
            std::strncpy(gText, t.gbk, sizeof gText - 1);
            break;
        }
    }
    return gText;
}
