// Text as the platform's wide strings and automation strings.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string>
#include <string_view>

#include "automation/text.h"
#include "platform/win32/automation_variant.h"

namespace zarn::com {

std::wstring wide(std::u16string_view text);
std::wstring wide(std::string_view ascii);

}  // namespace zarn::com
