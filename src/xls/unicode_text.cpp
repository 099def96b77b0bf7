// UTF-8 to UTF-16 through GLib.
#include "xls/unicode_text.h"

#include <glib.h>

namespace xls {

std::vector<char16_t> toUtf16(std::string_view utf8) {
    std::vector<char16_t> units;
    if (utf8.empty()) {
        return units;
    }
    gchar* valid = g_utf8_make_valid(utf8.data(), static_cast<gssize>(utf8.size()));
    glong count = 0;
    gunichar2* converted = g_utf8_to_utf16(valid, -1, nullptr, &count, nullptr);
    g_free(valid);
    if (converted != nullptr) {
        units.assign(converted, converted + count);
        g_free(converted);
    }
    return units;
}

}  // namespace xls
