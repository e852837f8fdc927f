// The narrow code page on Windows is the system's ANSI code page; characters
// it cannot represent become the platform's default character.
#include "platform/narrow_text.h"

#include <windows.h>

namespace zarn {

std::string toNarrow(std::u16string_view text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

Text fromNarrow(std::string_view narrow) {
  if (narrow.empty()) return {};
  const int length = static_cast<int>(narrow.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, nullptr, 0);
  Text text(static_cast<size_t>(size), u'\0');
  MultiByteToWideChar(CP_ACP, 0, narrow.data(), length, reinterpret_cast<wchar_t*>(text.data()),
                      size);
  return text;
}

std::string_view withoutIncompleteCharacter(std::string_view narrow) {
  // Walk the characters of the system code page; a lead byte with no trail
  // byte left is a cut character.
  size_t position = 0;
  while (position < narrow.size()) {
    const size_t length = IsDBCSLeadByte(static_cast<BYTE>(narrow[position])) ? 2 : 1;
    if (position + length > narrow.size()) return narrow.substr(0, position);
    position += length;
  }
  return narrow;
}

}  // namespace zarn
