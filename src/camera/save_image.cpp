// TQ_SaveImg: an image as a BMP file (8-bit grey with palette, or 24-bit).
#include <cstring>
#include <string>
#include <string_view>

#include "camera/export_guard.h"
#include "camera/message_box.h"
#include "camera/ostrel.h"
#include "platform/atomic_file.h"

namespace {

void put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

extern "C" OSTREL_API uint32_t TQ_SaveImg(const unsigned char* image, const char* fileName,
                                          int width, int height, uint32_t size, int /*device*/) {
    return ostrel::guarded([&]() -> uint32_t {
        const std::string_view name = fileName != nullptr ? fileName : "";
        if (name.size() < 4 || name.substr(name.size() - 4) != ".bmp") {
            ostrel::showMessage("just support *.bmp file for image saving!", "Error");
            return TQ_E_FAILED;
        }
        if (image == nullptr || width <= 0 || height <= 0) {
            return TQ_E_FAILED;
        }
        const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
        const bool grey = size / pixels == 1;
        const uint32_t dataOffset = grey ? 1078 : 54;
        const uint32_t fileSize =
            grey ? static_cast<uint32_t>((static_cast<uint64_t>(width) * 8 + 31) / 32 * 4 * height +
                                         1078)
                 : size + 54;
        std::string out;
        out.reserve(dataOffset + size);
        out += "BM";
        put32(out, fileSize);
        put32(out, 0);
        put32(out, dataOffset);
        put32(out, 40);
        put32(out, static_cast<uint32_t>(width));
        put32(out, static_cast<uint32_t>(height));
        put16(out, 1);
        put16(out, grey ? 8 : 24);
        for (int i = 0; i < 6; ++i) {
            put32(out, 0);
        }
        if (grey) {
            for (uint32_t i = 0; i < 256; ++i) {
                out.push_back(static_cast<char>(i));
                out.push_back(static_cast<char>(i));
                out.push_back(static_cast<char>(i));
                out.push_back(0);
            }
        }
        out.append(reinterpret_cast<const char*>(image), size);
        // Written beside the target and renamed, so a crash never leaves half a file.
        if (!corvane::platform::writeFileAtomically(std::string(name), out)) {
            return TQ_E_FAILED;
        }
        return TQ_SUCCESS;
    });
}
