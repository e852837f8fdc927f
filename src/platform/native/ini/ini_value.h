// How the profile functions read an entry's value: as text and as a number.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn {

// The value without one pair of matching quotes (" or ') around it, when it
// is at least two characters long; unbalanced quotes stay.
std::string_view unquotedValue(std::string_view value);

// The value read as the platform's base-0 string-to-integer routine reads it:
// characters up to the space skipped, one optional sign, a lower-case prefix
// 0x, 0o or 0b, then digits up to the first that does not belong to the base;
// no overflow check, the result wraps modulo 2^32. A leading zero stays
// decimal. Only the first 29 characters count, as the platform reads the
// value through a 30-character buffer.
uint32_t profileInteger(std::string_view value);

}  // namespace zarn
