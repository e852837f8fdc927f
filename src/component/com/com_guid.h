// The library's identifiers in the platform's GUID form, and as the braced
// text that registry entries use.
#pragma once

#include <windows.h>

#include <string>

#include "component/library_identity.h"

namespace zarn::com {

GUID toGuid(const identity::Guid& id);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
std::wstring guidText(const identity::Guid& id);

}  // namespace zarn::com
