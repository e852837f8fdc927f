// Our texts and identifiers in the forms the platform's functions take:
// wide strings, GUID structures, and the braced GUID text of registry entries.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "component/library_identity.h"

namespace zarn::com {

std::wstring wide(std::u16string_view text);
std::wstring wide(std::string_view ascii);

GUID toGuid(const identity::Guid& id);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
std::wstring guidText(const identity::Guid& id);

}  // namespace zarn::com
