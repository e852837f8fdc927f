// How the profile functions place their results in the caller's buffer.
#pragma once

#include <cstdint>
#include <string_view>

namespace zarn {

// Copies text and a NUL into buffer and returns the bytes copied. Text longer
// than size - 1 bytes is cut there, or up to three bytes earlier so that no
// UTF-8 character is split. Nothing is written when size is 0.
uint32_t placeText(std::string_view text, char* buffer, uint32_t size);

// Copies list, its items each followed by a NUL, and one more NUL; returns
// the bytes before that last NUL. A list that does not fit, or fits exactly,
// has its last placed item cut, ends in two NULs and returns size - 2.
// Nothing is written when size is 0; a size of 1 holds only the final NUL.
uint32_t placeList(std::string_view list, char* buffer, uint32_t size);

}  // namespace zarn
