// Automation text and the Unicode encodings the component moves it between.
//
// Automation text is counted UTF-16; a missing string counts as empty, so an
// empty Text stands for both. UTF-8 is how text enters and leaves the process
// (command lines, batch input, JSON output); it is not the narrow code page of
// the platform services, which narrow_text.h covers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

using Text = std::u16string;

// Decodes UTF-8; each byte that does not start a valid sequence becomes U+FFFD.
Text utf8ToText(std::string_view utf8);

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string textToUtf8(std::u16string_view text);

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
