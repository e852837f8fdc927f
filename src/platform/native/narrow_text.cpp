// The native narrow code page is UTF-8.
#include "platform/narrow_text.h"

namespace zarn {

std::string toNarrow(std::u16string_view text) { return textToUtf8(text); }

Text fromNarrow(std::string_view narrow) { return utf8ToText(narrow); }

}  // namespace zarn
