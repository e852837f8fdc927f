// Our texts and identifiers in the forms the platform's functions take:
// wide strings, GUID structures, and the braced GUID text of registry entries.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oaidl.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "component/library_identity.h"

namespace zarn::com {

inline std::wstring wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

inline std::wstring wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

inline GUID toGuid(const identity::Guid& id) {
  GUID guid{id.data1, id.data2, id.data3, {}};
  std::copy(std::begin(id.data4), std::end(id.data4), std::begin(guid.Data4));
  return guid;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"
inline std::wstring guidText(const identity::Guid& id) {
  const GUID guid = toGuid(id);
  wchar_t text[40];
  const int length = StringFromGUID2(guid, text, 40);
  return std::wstring(text, length > 0 ? static_cast<size_t>(length - 1) : 0);
}

// This build's own kind of Windows, as its type library records it and as
// the type library's registration key names it. Both bitnesses of the DLL
// share every identifier; only this differs between their type libraries.
constexpr bool isWin64 = sizeof(void*) == 8;
constexpr SYSKIND ownSystemKind = isWin64 ? SYS_WIN64 : SYS_WIN32;
constexpr std::string_view ownSystemKindName = isWin64 ? "win64" : "win32";

}  // namespace zarn::com
