// Window message numbers of the main window: offsets from WM_USER, as the
// workers and screens send them.
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr uint32_t WM_USER = 0x0400;

// Motor test screen applied its parameters.
inline constexpr uint32_t MSG_PARAMETERS_APPLIED = WM_USER + 1;
// Reset thread: wParam = result (1 success, 0 failure).
inline constexpr uint32_t MSG_RESET_DONE = WM_USER + 2;
// Reset thread: wParam = axis index about to be homed, lParam = axes done.
inline constexpr uint32_t MSG_RESET_PROGRESS = WM_USER + 3;
// wParam = alarm code, lParam = 1.
inline constexpr uint32_t MSG_ALARM = WM_USER + 4;
// wParam = inserted components of the run, lParam = milliseconds of the pass.
inline constexpr uint32_t MSG_BOARD_PROGRESS = WM_USER + 5;
inline constexpr uint32_t MSG_PRODUCTION_STOPPED = WM_USER + 6;
inline constexpr uint32_t MSG_SHOW_RECORD = WM_USER + 7;
inline constexpr uint32_t MSG_WRITE_STATISTICS = WM_USER + 8;
// wParam = machine state code 0..6.
inline constexpr uint32_t MSG_STATE_TEXT = WM_USER + 9;
// Shows ShowTextString in the status line.
inline constexpr uint32_t MSG_SHOW_TEXT = WM_USER + 12;

}  // namespace corvane

namespace corvane {

// Result of the material batch verification dialogue (wParam 1 = verified,
// 0 = not verified). It has the number of MSG_SHOW_TEXT; the dialogue reports
// to a target of its own, so the two never meet.
inline constexpr uint32_t MSG_STATIONS_VERIFIED = 0x040C;
// A camera view whose snap wait timed out asks to be rebuilt.
inline constexpr uint32_t MSG_CAMERA_SNAP_TIMEOUT = WM_USER + 13;

}  // namespace corvane
