// How INI file bytes become the UTF-8 text the engine parses, and back.
#pragma once

#include <cstddef>
#include <string>

namespace zarn {

// Files are UTF-8 (our narrow code page), with or without a byte order mark,
// or UTF-16 when they start with the mark FF FE (little-endian) or FE FF
// (big-endian), as the platform reads them. UTF-8 bytes are taken as they
// are, so every byte survives a rewrite; the mark stays at the start of the
// text and parsing begins behind it. A UTF-16 file is turned into UTF-8 and
// written back in its own byte order with its mark, never partly in another
// encoding; an unpaired surrogate or a dangling last byte in it does not
// survive that.
enum class IniEncoding { Utf8, Utf16Le, Utf16Be };

struct IniText {
  IniEncoding encoding = IniEncoding::Utf8;
  std::string text;      // UTF-8, including a UTF-8 byte order mark if the file has one
  size_t bodyBegin = 0;  // where the lines start: behind a UTF-8 byte order mark
};

IniText decodeIniBytes(std::string bytes);
std::string encodeIniText(IniEncoding encoding, std::string text);

}  // namespace zarn
