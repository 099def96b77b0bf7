// Locale-independent formatting and parsing: the console may run under a
// locale whose decimal separator is a comma, the program's files never do.
#include "platform/number_text.h"

#include <locale.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace corvane {

namespace {

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::string formatInt(int value) {
    return std::to_string(value);
}

std::string formatReal(double value, int decimals) {
    if (decimals < 0)
        decimals = 0;
    if (!std::isfinite(value)) {
        return std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan")
                                 : (value < 0 ? "-inf" : "inf");
    }
    char buffer[400];
    auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (ec != std::errc())
        return "0";
    return std::string(buffer, end);
}

std::string formatFloat(float value, int decimals) {
    return formatReal(static_cast<double>(value), decimals);
}

int parseInt(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    long long value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = value * 10 + (text[at++] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

double parseReal(std::string_view text) {
    const std::string copy(text);  // strtod needs a terminator
    return strtod_l(copy.c_str(), nullptr, cLocale());
}

bool isWholeNumber(std::string_view text) {
    // Decimal notation only: strtod would also take "nan", "inf" and hex.
    for (char c : text) {
        if (!isBlank(c) && std::string_view("0123456789+-.eE").find(c) == std::string_view::npos)
            return false;
    }
    const std::string copy(text);
    char* end = nullptr;
    strtod_l(copy.c_str(), &end, cLocale());
    if (end == copy.c_str())
        return false;
    while (*end != '\0' && isBlank(*end))
        ++end;
    return *end == '\0';
}

}  // namespace corvane
