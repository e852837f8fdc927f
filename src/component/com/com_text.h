// Text as the platform's wide strings and automation strings.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/text.h"

namespace zarn::com {

std::wstring wide(std::u16string_view text);
std::wstring wide(std::string_view ascii);

// A missing automation string is empty text.
Text textOf(BSTR text);

// A new automation string; throws std::bad_alloc when memory is exhausted.
BSTR allocateText(std::u16string_view text);

}  // namespace zarn::com
