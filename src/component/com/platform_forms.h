// Our texts and identifiers in the forms the platform's functions take:
// wide strings, GUID structures, and the braced GUID text of registry entries.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oaidl.h>

#include <string>
#include <string_view>

#include "component/library_identity.h"

namespace zarn::com {

std::wstring wide(std::u16string_view text);
std::wstring wide(std::string_view ascii);

GUID toGuid(const identity::Guid& id);

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
std::wstring guidText(const identity::Guid& id);

// This build's own kind of Windows, as its type library records it and as
// the type library's registration key names it. Both bitnesses of the DLL
// share every identifier; only this differs between their type libraries.
constexpr bool isWin64 = sizeof(void*) == 8;
constexpr SYSKIND ownSystemKind = isWin64 ? SYS_WIN64 : SYS_WIN32;
constexpr std::string_view ownSystemKindName = isWin64 ? "win64" : "win32";

}  // namespace zarn::com
