// Automation text, and its conversions to and from UTF-8.
//
// Every text argument and text result of Regedit and IniEdit is counted
// UTF-16, as automation strings are; a missing string counts as empty, so an
// empty Text stands for both. UTF-8 is how text enters and leaves a C++
// program; the UTF-8 overloads of the two classes convert with these.
#pragma once

#include <string>
#include <string_view>

namespace zarn {

using Text = std::u16string;

// Decodes UTF-8; each byte that does not start a valid sequence becomes
// U+FFFD.
Text utf8ToText(std::string_view utf8);

// Encodes UTF-16 as UTF-8; an unpaired surrogate becomes U+FFFD. A NUL
// (the separator of listings) stays one NUL byte.
std::string textToUtf8(std::u16string_view text);

// The system's narrow code page: the ANSI code page on Windows, UTF-8
// natively; what REGEDIT4 files and the platform's narrow ("A") functions
// use. A character the code page lacks becomes its default character ("?")
// or a look-alike.
std::string toNarrow(std::u16string_view text);
Text fromNarrow(std::string_view narrow);

}  // namespace zarn
