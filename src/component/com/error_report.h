// A failed method as its caller sees it: the status 0x800A0000 + error
// number and an error object with the standard description, the class's
// ProgID as source and its interface as the error's interface.
#pragma once

#include <windows.h>

#include <cstdint>

#include "component/com/class_interfaces.h"

namespace zarn::com {

HRESULT reportFailure(const ComClass& comClass, int32_t errorNumber);

}  // namespace zarn::com
