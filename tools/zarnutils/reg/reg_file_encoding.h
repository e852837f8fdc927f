// The encodings a .reg file comes in: UTF-16LE with a byte order mark (what
// regedit writes for version 5.00), or 8-bit text, read as UTF-8 when it is
// valid UTF-8 and as Windows-1252 otherwise.
#pragma once

#include <string>
#include <string_view>

#include "automation/text.h"

namespace zarn::cli {

enum class FileEncoding { Utf16le, Utf8, Windows1252 };

// The file's text, without its byte order mark, and the encoding found.
Text decodeFileText(std::string_view bytes, FileEncoding& encoding);

// UTF-16LE code units as bytes, low byte first, and back (an odd last byte
// is dropped).
std::string utf16leBytes(std::u16string_view text);
Text textOfUtf16le(std::string_view bytes);

// 8-bit text in the given encoding (UTF-8 or Windows-1252).
Text textOf8bit(std::string_view bytes, FileEncoding encoding);

bool isValidUtf8(std::string_view bytes);

}  // namespace zarn::cli
