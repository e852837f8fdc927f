#include "reg/reg_file_encoding.h"

namespace zarn::cli {
namespace {

// Windows-1252 at 0x80..0x9F; the five holes stay as their C1 code points.
constexpr char16_t windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

Text windows1252Text(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    text += byte >= 0x80 && byte < 0xA0 ? windows1252High[byte - 0x80] : char16_t(byte);
  }
  return text;
}

size_t sequenceLength(uint8_t lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<uint8_t>(bytes[i]);
    const size_t length = sequenceLength(lead);
    if (length == 0 || i + length > bytes.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return false;
    }
    if (length > 2) {
      const auto second = static_cast<uint8_t>(bytes[i + 1]);
      // Overlong forms, surrogates and code points past U+10FFFF.
      if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
          (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return false;
      }
    }
    i += length;
  }
  return true;
}

Text decodeFileText(std::string_view bytes, FileEncoding& encoding) {
  if (bytes.starts_with("\xFF\xFE")) {
    encoding = FileEncoding::Utf16le;
    return textOfUtf16le(bytes.substr(2));
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  encoding = isValidUtf8(bytes) ? FileEncoding::Utf8 : FileEncoding::Windows1252;
  return textOf8bit(bytes, encoding);
}

std::string utf16leBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(2 * text.size());
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

Text textOfUtf16le(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                  static_cast<uint8_t>(bytes[i + 1]) << 8);
  }
  return text;
}

Text textOf8bit(std::string_view bytes, FileEncoding encoding) {
  return encoding == FileEncoding::Windows1252 ? windows1252Text(bytes) : utf8ToText(bytes);
}

}  // namespace zarn::cli
