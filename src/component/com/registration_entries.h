// The registry entries that register the library: the one list that
// DllRegisterServer writes per machine, DllInstall("user") per user and the
// MSI package carries in its own tables (the type library generator writes
// it out at build time; tools/packaging turns it into the package's source).
//
// Every key is relative to a classes root: HKLM\Software\Classes per
// machine, HKCU\Software\Classes per user. Beside the class, ProgID and
// interface keys, the list holds the type library's registration as the
// platform's RegisterTypeLib writes it: TypeLib\{id}\<major.minor in hex>
// with its title, 0\win32 or 0\win64 (the server's path), FLAGS and HELPDIR;
// every interface key names the type library and the automation marshaler.
#pragma once

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

// What unregistration takes away whole: each class's CLSID key, each
// interface key and each ProgID key. The platform keeps CLSID and Interface
// apart per registry view, but not ProgIDs or type libraries: unregistering
// one bitness takes the ProgIDs from the other too.
std::vector<std::wstring> classKeys();
std::vector<std::wstring> interfaceKeys();
std::vector<std::wstring> progIdKeys();

// TypeLib\{id}, its version key below it, and the key of this build's system
// kind below that ("...\0\win64").
std::wstring typeLibraryKey();
std::wstring typeLibraryVersionKey();
std::wstring typeLibrarySystemKey();

}  // namespace zarn::com
