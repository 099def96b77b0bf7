// Colours the core keeps as Windows COLORREF values (0x00BBGGRR) as QColor.
#pragma once

#include <QColor>
#include <cstdint>

namespace corvane::screens {

inline QColor colourOf(uint32_t colorref) {
    return QColor(static_cast<int>(colorref & 0xFF), static_cast<int>((colorref >> 8) & 0xFF),
                  static_cast<int>((colorref >> 16) & 0xFF));
}

}  // namespace corvane::screens
