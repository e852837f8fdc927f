#include "platform/native/ini/ini_encoding.h"

#include <string_view>

#include "automation/text.h"

namespace zarn {
namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LeMark = "\xFF\xFE";

}  // namespace

IniText decodeIniBytes(std::string bytes) {
  const std::string_view view = bytes;
  if (view.starts_with(utf16LeMark)) {
    Text wide;
    wide.reserve((bytes.size() - utf16LeMark.size()) / 2);
    for (size_t i = utf16LeMark.size(); i + 1 < bytes.size(); i += 2) {
      const auto low = static_cast<unsigned char>(bytes[i]);
      const auto high = static_cast<unsigned char>(bytes[i + 1]);
      wide.push_back(static_cast<char16_t>(low | (high << 8)));
    }
    return {IniEncoding::Utf16Le, textToUtf8(wide), 0};
  }
  const size_t bodyBegin = view.starts_with(utf8Mark) ? utf8Mark.size() : 0;
  return {IniEncoding::Utf8, std::move(bytes), bodyBegin};
}

std::string encodeIniText(IniEncoding encoding, std::string text) {
  if (encoding == IniEncoding::Utf8) return text;
  const Text wide = utf8ToText(text);
  std::string bytes(utf16LeMark);
  bytes.reserve(bytes.size() + wide.size() * 2);
  for (const char16_t unit : wide) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

}  // namespace zarn
