// How the component compares, trims and writes text, on top of the public
// Text and its UTF-8 conversions.
//
// UTF-8 is how text enters and leaves the process (command lines, batch
// input, JSON output); it is not the narrow code page of the platform
// services, which narrow_text.h covers.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "zarnutils/text.h"

namespace zarn {

// Whether bytes are UTF-8 throughout, with no byte that starts no valid
// sequence.
bool isUtf8(std::string_view bytes);

// The decoding of the UTF-8 forms' text arguments: bytes that are not UTF-8
// throw AutomationError 5 ("Invalid procedure call or argument") rather than
// turning into U+FFFD, since two different names must never become one.
Text utf8Argument(std::string_view utf8);

// Upper-cases the letters the way the platform's case-insensitive
// comparisons fold them (whole text, code unit by code unit).
Text upperCase(std::u16string_view text);

// Case-insensitive comparison of whole texts.
bool equalsIgnoringCase(std::u16string_view left, std::u16string_view right);

// Lower-cases A-Z and nothing else, the same in every locale: for the
// names that late binding and the command line's words match without case.
constexpr char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char16_t asciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr bool equalsIgnoringAsciiCase(std::u16string_view left, std::u16string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                    [](char16_t a, char16_t b) { return asciiLower(a) == asciiLower(b); });
}
constexpr bool equalsIgnoringAsciiCase(std::string_view left, std::string_view right) {
  return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                    [](char a, char b) { return asciiLower(a) == asciiLower(b); });
}

// The text without the given characters at either end.
Text trimmed(std::u16string_view text, std::u16string_view characters);

// Plain decimal digits, with a minus sign for negative numbers.
Text decimalText(int64_t number);

}  // namespace zarn
