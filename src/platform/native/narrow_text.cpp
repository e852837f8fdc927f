// The native narrow code page is UTF-8.
#include "platform/narrow_text.h"

namespace zarn {

std::string toNarrow(std::u16string_view text) { return textToUtf8(text); }

Text fromNarrow(std::string_view narrow) { return utf8ToText(narrow); }

bool narrowHolds(std::u16string_view text) {
  // UTF-8 holds every character; a surrogate without its partner has no
  // UTF-8 form and would become U+FFFD.
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0xD800 || unit > 0xDFFF) continue;
    const bool paired =
        unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (!paired) return false;
    ++i;
  }
  return true;
}

std::string_view withoutIncompleteCharacter(std::string_view narrow) {
  // Find where the last sequence starts (at most 3 continuation bytes back)
  // and drop it if its lead byte promises more bytes than are there.
  size_t start = narrow.size();
  while (start > 0 && narrow.size() - start < 4 &&
         (static_cast<unsigned char>(narrow[start - 1]) & 0xC0) == 0x80) {
    --start;
  }
  if (start == 0) return narrow;
  const auto lead = static_cast<unsigned char>(narrow[start - 1]);
  const size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  const size_t present = narrow.size() - (start - 1);
  return present < expected ? narrow.substr(0, start - 1) : narrow;
}

}  // namespace zarn
