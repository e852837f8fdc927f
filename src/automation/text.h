// How the component compares, trims and writes text, on top of the public
// Text and its UTF-8 conversions.
//
// UTF-8 is how text enters and leaves the process (command lines, batch
// input, JSON output); it is not the narrow code page of the platform
// services, which narrow_text.h covers.
#pragma once

#include <cstdint>
#include <string_view>

#include "zarnutils/text.h"

namespace zarn {

// Upper-cases the letters the way the platform's case-insensitive
// comparisons fold them (whole text, code unit by code unit).
Text upperCase(std::u16string_view text);

// Case-insensitive comparison of whole texts.
bool equalsIgnoringCase(std::u16string_view left, std::u16string_view right);

// The text without the given characters at either end.
Text trimmed(std::u16string_view text, std::u16string_view characters);

// Plain decimal digits, with a minus sign for negative numbers.
Text decimalText(int64_t number);

}  // namespace zarn
