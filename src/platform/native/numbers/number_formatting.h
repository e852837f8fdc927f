// Floating-point numbers as the platform's automation conversions write
// them: the shortest form of the value rounded to a number of significant
// digits, in exponent form ("1E+15", "1E-05") beyond the plain range;
// infinities as "INF" and "-INF", NaN as "NAN", or "-NAN(IND)" when its sign
// bit is set.
#pragma once

#include "automation/text.h"

namespace zarn {

constexpr int doubleDigits = 15;
constexpr int singleDigits = 7;

// Rounds the exact binary value half away from zero, as the platform does.
Text realToText(double value, int significantDigits);

}  // namespace zarn
