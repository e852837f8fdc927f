// What DllRegisterServer and DllInstall write and DllUnregisterServer and
// DllInstall remove: the entries of registration_entries.h, below the
// machine's classes (HKLM\Software\Classes) or the current user's
// (HKCU\Software\Classes, where the platform's per-user registration keeps
// classes, interfaces and type libraries).
#pragma once

#include <windows.h>

namespace zarn::com {

enum class RegistrationScope { Machine, User };

// A failed registration takes back what it wrote.
HRESULT registerServer(RegistrationScope scope);
HRESULT unregisterServer(RegistrationScope scope);

// DllInstall's command line: "user" (in any case) registers for the current
// user, an empty or missing one per machine; anything else is E_INVALIDARG.
HRESULT install(bool install, const wchar_t* commandLine);

}  // namespace zarn::com
