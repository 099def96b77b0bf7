// Numbers as the machine writes and reads them in its texts: the plug-in
// program's fields, the statistics, the reports. Always in the C locale's form,
// whatever the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// "%d".
std::string formatInt(int value);
// Fixed point with `decimals` digits after the point ("%.<decimals>f").
std::string formatReal(double value, int decimals);
std::string formatFloat(float value, int decimals);

// atoi: leading blanks, a sign, then digits up to the first other character;
// 0 when there are none. Values beyond int are clamped instead of undefined.
int parseInt(std::string_view text);
// strtod in the C locale: the longest leading number, 0 when there is none.
double parseReal(std::string_view text);
// True when the whole text (blanks around it aside) is one decimal number.
bool isWholeNumber(std::string_view text);

}  // namespace corvane
