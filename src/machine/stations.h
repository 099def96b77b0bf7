// The stations of the component chain: a constant of the machine, not a setting.
#pragma once

namespace corvane {

inline constexpr int kStationCount = 12;

}  // namespace corvane
