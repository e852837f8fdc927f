// Numbers written as text, read the way the platform's automation
// conversions read them with the English-US locale.
//
// Accepted: blanks (any Unicode space) around the number and between a sign
// and the number; one leading "+", "-", "(" and "$" each, in any order; or a
// sign, ")" and "$" after the number; "(...)" is negative; digits with ","
// anywhere after the first digit; one "."; an exponent "e"/"E" with an
// optional sign. "&H" and "&O" introduce 32-bit hex and octal literals,
// which take no sign and no currency symbol.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

struct NumericText {
  bool radix = false;      // a "&H"/"&O" literal
  uint32_t radixBits = 0;  // its 32 bits
  bool negative = false;
  std::string digits;         // decimal digits without leading and trailing zeros
  int64_t pointPosition = 0;  // the value is 0.<digits> times 10 to this power
};

// Throws AutomationError 13 for text that is no number and 6 for a hex or
// octal literal beyond 32 bits.
NumericText parseNumericText(std::u16string_view text);

// Rounds half to even; throws AutomationError 6 outside the Long range.
int32_t numericTextToLong(const NumericText& number);

// Hex and octal literals are signed 32-bit values; throws AutomationError 6
// beyond the Double range (values too small to represent become 0).
double numericTextToDouble(const NumericText& number);

}  // namespace zarn
