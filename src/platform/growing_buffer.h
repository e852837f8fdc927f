// The one way to call a service that writes into a caller's buffer when the
// needed size is not known in advance: call, and call again with a larger
// buffer until the answer fits.
//
// The caller's step decides everything that differs between services: how
// it learns that the answer did not fit (a status of 234 and a size written
// back, a count of size - 2, a count within a few bytes of the size), how
// much larger the next buffer is, and when it gives up and keeps what it
// has. The helper only owns the buffer, so a loop keeps exactly the calls,
// sizes and order that its service's contract calls for. Usable from every
// layer above the platform, tools/ included (include "platform/growing_buffer.h"):
//
//   uint32_t count = 0;
//   const std::string buffer = callUntilItFits(4096, '\0', [&](char* data, uint32_t size)
//                                                  -> std::optional<uint32_t> {
//     count = ProfileService::GetPrivateProfileSectionNamesA(data, size, file);
//     if (count + 2 < size) return std::nullopt;  // fitted
//     return size * 2;                            // try again, twice as large
//   });
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zarn {

// Calls step(data, size) with a fresh buffer of size bytes, each set to fill,
// then again with the size step returns, until step returns nothing. Returns
// the buffer of the last call, as that call left it.
template <class Step>
std::string callUntilItFits(uint32_t size, char fill, Step step) {
  std::string buffer;
  for (;;) {
    buffer.assign(size, fill);
    const std::optional<uint32_t> larger = step(buffer.data(), size);
    if (!larger) return buffer;
    size = *larger;
  }
}

}  // namespace zarn
