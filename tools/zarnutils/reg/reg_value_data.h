// Value data as reg.exe takes it after /d and shows it in a query.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

// The bytes to store for /d text (UTF-8) of a type:
//   REG_SZ, REG_EXPAND_SZ, REG_NONE and unnamed types: the narrow text and a NUL;
//   REG_MULTI_SZ: the strings between separators (the two characters \0, or
//     the one character given by /s), each ending in a NUL, then one more NUL;
//     an empty string between two separators is refused;
//   REG_DWORD, REG_DWORD_BIG_ENDIAN, REG_QWORD: a decimal or 0x hexadecimal
//     number that fits, in little- or big-endian order;
//   REG_BINARY: hexadecimal digits, two per byte (an odd count gets a leading 0).
// Nothing when the text does not fit the type.
std::optional<std::string> dataFromText(uint32_t type, std::string_view text,
                                        std::string_view separator);

// How a query shows stored bytes (UTF-8): text up to its first NUL; the
// strings of a multi-string joined by separator (\0 unless /se gave one);
// numbers as 0x and lower-case hex; everything else, and numbers of the
// wrong size, as upper-case hex digits.
std::string dataAsText(uint32_t type, std::string_view bytes, std::string_view separator);

// The strings of REG_MULTI_SZ data, without the empty string that ends it.
std::vector<std::string> multiTextStrings(std::string_view bytes);

}  // namespace zarn::cli
