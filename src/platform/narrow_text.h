// What the component checks of the narrow code page of the platform
// services (UTF-8 on the native target, the system (ANSI) code page on
// Windows), whose conversions toNarrow and fromNarrow zarnutils/text.h
// declares. They are called only right at a registry or profile service call.
#pragma once

#include <string>
#include <string_view>

#include "automation/text.h"

namespace zarn {

// Whether the narrow code page holds the text exactly, so that toNarrow
// hands a service the text itself. Where it does not, a character becomes
// the default character ("?") or a look-alike, and a name would reach
// another key or entry, a write store other text. On Windows that is any
// character outside the system code page; natively (UTF-8) only a surrogate
// without its partner.
bool narrowHolds(std::u16string_view text);

// The text without a multi-byte character that a byte-counted cut left
// incomplete at its end.
std::string_view withoutIncompleteCharacter(std::string_view narrow);

}  // namespace zarn
