// Registration, driven by one list of entries: what DllRegisterServer
// writes per machine (HKLM\Software\Classes) and DllInstall("user") per user
// (HKCU\Software\Classes, where the platform's per-user registration keeps
// classes, interfaces and type libraries), what DllUnregisterServer and
// DllInstall remove, and what the MSI package carries in its own tables (the
// type library generator writes the list out at build time, and
// scripts/package.sh turns it into the package's source).
//
// Every key is relative to a classes root. Beside the class, ProgID and
// interface keys, the list holds the type library's registration as the
// platform's RegisterTypeLib writes it: TypeLib\{id}\<major.minor in hex>
// with its title, 0\win32 or 0\win64 (the server's path), FLAGS and HELPDIR;
// every interface key names the type library and the automation marshaler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace zarn::com {

struct RegistryEntry {
  std::wstring key;
  std::wstring name;  // empty: the key's default value
  std::wstring value;
};

// serverPath: the DLL's full path; serverFolder: the folder that holds it.
std::vector<RegistryEntry> registrationEntries(const std::wstring& serverPath,
                                               const std::wstring& serverFolder);

enum class RegistrationScope { Machine, User };

// Writes the entries for the DLL at serverPath. A failed registration takes
// back what it wrote.
HRESULT registerServer(RegistrationScope scope, const std::wstring& serverPath);

// Takes away whole each class's CLSID key, each interface key and each
// ProgID key, and the type library's registration. The platform keeps CLSID
// and Interface apart per registry view, but not ProgIDs or type libraries:
// unregistering one bitness takes the ProgIDs from the other too.
HRESULT unregisterServer(RegistrationScope scope);

// DllInstall's command line: "user" (in any case) registers for the current
// user, an empty or missing one per machine; anything else is E_INVALIDARG.
HRESULT install(bool install, const wchar_t* commandLine, const std::wstring& serverPath);

}  // namespace zarn::com
