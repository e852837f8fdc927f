// The built ZarnUtils.dll as the COM tests reach it: its Windows path (the
// build passes it in ZARNUTILS_COM_DLL) and its class objects.
#pragma once

#include <windows.h>

#include <string>

namespace zarn::test {

std::wstring comDllPath();

// The DLL, loaded once for the test program.
HMODULE comDll();

template <class Function>
Function comEntryPoint(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(comDll(), name)));
}

}  // namespace zarn::test
