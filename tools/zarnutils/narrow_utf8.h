// The verbs take and print UTF-8; the registry and profile services take the
// narrow code page. These convert right at a service call.
#pragma once

#include <string>
#include <string_view>

#include "automation/text.h"
#include "platform/narrow_text.h"

namespace zarn::cli {

inline std::string narrowFromUtf8(std::string_view utf8) { return toNarrow(utf8ToText(utf8)); }
inline std::string utf8FromNarrow(std::string_view narrow) {
  return textToUtf8(fromNarrow(narrow));
}

}  // namespace zarn::cli
