// The narrow code page on Windows is the system's ANSI code page. toNarrow
// converts as the registry's and profile's "A" functions would, a character
// the code page cannot represent becoming its default character or a
// look-alike; narrowHolds tells beforehand whether that would happen.
#include "platform/narrow_text.h"

#include <windows.h>

namespace zarn {

namespace {

std::string converted(std::u16string_view text, DWORD flags, BOOL* usedDefault) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, usedDefault);
  std::string narrow(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, wide, length, narrow.data(), size, nullptr, usedDefault);
  return narrow;
}

// The code pages for which WideCharToMultiByte takes neither
// WC_NO_BEST_FIT_CHARS nor the question whether it used the default
// character, as its documentation lists them: UTF-7, UTF-8, GB 18030, the
// ISO 2022 and ISCII pages and Symbol.
bool answersDefaultCharacterUsed(UINT codePage) {
  return codePage != CP_UTF7 && codePage != CP_UTF8 && codePage != 54936 && codePage != 42 &&
         !(codePage >= 50220 && codePage <= 50229) && !(codePage >= 57002 && codePage <= 57011);
}

}  // namespace

std::string toNarrow(std::u16string_view text) { return converted(text, 0, nullptr); }

bool narrowHolds(std::u16string_view text) {
  if (answersDefaultCharacterUsed(GetACP())) {
    // Without WC_NO_BEST_FIT_CHARS a look-alike ("A" for U+0100) would
    // pass for the character itself.
    BOOL usedDefault = FALSE;
    converted(text, WC_NO_BEST_FIT_CHARS, &usedDefault);
    return !usedDefault;
  }
  // Elsewhere the conversion cannot tell, but the text must come back as
  // itself: in UTF-8 a lone surrogate comes back as U+FFFD.
  return fromNarrow(toNarrow(text)) == text;
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
