#include "platform/native/ini/ini_encoding.h"

#include <string_view>

#include "automation/text.h"

namespace zarn {

namespace {

constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view utf16LeMark = "\xFF\xFE";
constexpr std::string_view utf16BeMark = "\xFE\xFF";

// The UTF-16 text behind the mark, as UTF-8.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  Text wide;
  wide.reserve(bytes.size() / 2);
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    wide.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return textToUtf8(wide);
}

}  // namespace

IniText decodeIniBytes(std::string bytes) {
  const std::string_view view = bytes;
  if (view.starts_with(utf16LeMark)) return {IniEncoding::Utf16Le, utf16ToUtf8(view, false), 0};
  if (view.starts_with(utf16BeMark)) return {IniEncoding::Utf16Be, utf16ToUtf8(view, true), 0};
  const size_t bodyBegin = view.starts_with(utf8Mark) ? utf8Mark.size() : 0;
  return {IniEncoding::Utf8, std::move(bytes), bodyBegin};
}

std::string encodeIniText(IniEncoding encoding, std::string text) {
  if (encoding == IniEncoding::Utf8) return text;
  const bool bigEndian = encoding == IniEncoding::Utf16Be;
  const Text wide = utf8ToText(text);
  std::string bytes(bigEndian ? utf16BeMark : utf16LeMark);
  bytes.reserve(bytes.size() + wide.size() * 2);
  for (const char16_t unit : wide) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    bytes.push_back(bigEndian ? high : low);
    bytes.push_back(bigEndian ? low : high);
  }
  return bytes;
}

}  // namespace zarn
