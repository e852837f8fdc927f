#include "component/com/registration.h"

#include <cwchar>

#include "component/class_description.h"
#include "component/com/platform_forms.h"

namespace zarn::com {
namespace {

// ---- The entries ----

// The automation marshaler, which marshals dual interfaces from the type library.
constexpr identity::Guid automationMarshaler{
    0x00020424, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The platform writes a type library's version in hexadecimal: 34.1 is "22.1".
std::wstring hexVersion() {
  wchar_t text[16];
  std::swprintf(text, 16, L"%x.%x", identity::versionMajor, identity::versionMinor);
  return text;
}

std::wstring interfaceKey(const identity::Guid& id) { return L"Interface\\" + guidText(id); }

// TypeLib\{id}, its version key below it, and the key of this build's system
// kind below that ("...\0\win64").
std::wstring typeLibraryKey() { return L"TypeLib\\" + guidText(identity::libraryId); }

std::wstring typeLibraryVersionKey() { return typeLibraryKey() + L"\\" + hexVersion(); }

std::wstring typeLibrarySystemKey() {
  return typeLibraryVersionKey() + L"\\0\\" + wide(ownSystemKindName);
}

// What unregistration takes away whole.
std::vector<std::wstring> classKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    keys.push_back(L"CLSID\\" + guidText(description->classId));
  }
  return keys;
}

std::vector<std::wstring> interfaceKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    for (const identity::Guid* id : description->answeredInterfaceIds) {
      keys.push_back(interfaceKey(*id));
    }
  }
  return keys;
}

std::vector<std::wstring> progIdKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    keys.push_back(wide(description->progId));
  }
  return keys;
}

// ---- Writing and removing them ----

HRESULT fromRegistry(LSTATUS status) { return HRESULT_FROM_WIN32(status); }

HKEY hiveOf(RegistrationScope scope) {
  return scope == RegistrationScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

constexpr const wchar_t* classesKey = L"Software\\Classes";

// The scope's classes root, open for the whole registration. A 32-bit DLL
// on 64-bit Windows writes through it into the 32-bit view, as the platform
// redirects class and interface keys below it.
class ClassesRoot {
 public:
  explicit ClassesRoot(RegistrationScope scope)
      : status_(RegCreateKeyExW(hiveOf(scope), classesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key_, nullptr)) {}
  ~ClassesRoot() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  ClassesRoot(const ClassesRoot&) = delete;
  ClassesRoot& operator=(const ClassesRoot&) = delete;

  HRESULT status() const { return fromRegistry(status_); }
  HKEY key() const { return key_; }

 private:
  HKEY key_ = nullptr;
  LSTATUS status_;
};

HRESULT write(HKEY root, const RegistryEntry& entry) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(root, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                   &key, nullptr);
  if (status != ERROR_SUCCESS) return fromRegistry(status);
  status = RegSetValueExW(key, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(entry.value.c_str()),
                          static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return fromRegistry(status);
}

HRESULT removeTree(HKEY root, const std::wstring& keyPath) {
  const LSTATUS status = RegDeleteTreeW(root, keyPath.c_str());
  return status == ERROR_FILE_NOT_FOUND ? S_OK : fromRegistry(status);
}

bool hasSubKeys(HKEY root, const std::wstring& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD subKeys = 0;
  const LSTATUS status = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && subKeys > 0;
}

// As the platform's UnRegisterTypeLib does: this system kind's entry goes,
// and the version's key with it once no other system kind is registered.
HRESULT removeTypeLibrary(HKEY root) {
  HRESULT status = removeTree(root, typeLibrarySystemKey());
  if (FAILED(status)) return status;
  if (!hasSubKeys(root, typeLibraryVersionKey() + L"\\0")) {
    status = removeTree(root, typeLibraryVersionKey());
    if (FAILED(status)) return status;
  }
  if (!hasSubKeys(root, typeLibraryKey())) status = removeTree(root, typeLibraryKey());
  return status;
}

// Deletes the keys above keyPath, nearest first, while they hold no value
// and no subkey: per-user registration creates CLSID, Interface and TypeLib
// when the user has none, and removal leaves the user's classes as it found
// them. The first key that holds anything stops the walk.
HRESULT removeEmptyParents(HKEY root, std::wstring keyPath) {
  for (size_t end = keyPath.rfind(L'\\'); end != std::wstring::npos; end = keyPath.rfind(L'\\')) {
    keyPath.resize(end);
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return S_OK;
    DWORD subKeys = 0;
    DWORD values = 0;
    const LSTATUS query = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, nullptr,
                                           nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (query != ERROR_SUCCESS || subKeys > 0 || values > 0) return S_OK;
    const LSTATUS status = RegDeleteKeyW(root, keyPath.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return fromRegistry(status);
  }
  return S_OK;
}

std::wstring folderOf(const std::wstring& path) {
  const size_t lastBackslash = path.find_last_of(L'\\');
  return lastBackslash == std::wstring::npos ? std::wstring() : path.substr(0, lastBackslash);
}

}  // namespace

std::vector<RegistryEntry> registrationEntries(const std::wstring& serverPath,
                                               const std::wstring& serverFolder) {
  const std::wstring library = guidText(identity::libraryId);
  std::vector<RegistryEntry> entries{
      {typeLibraryVersionKey(), L"", wide(identity::helpString)},
      {typeLibrarySystemKey(), L"", serverPath},
      {typeLibraryVersionKey() + L"\\FLAGS", L"", L"0"},
      {typeLibraryVersionKey() + L"\\HELPDIR", L"", serverFolder},
  };
  for (const ClassDescription* description : describedClasses()) {
    const std::wstring classKey = L"CLSID\\" + guidText(description->classId);
    const std::wstring progId = wide(description->progId);
    entries.insert(entries.end(),
                   {
                       {classKey, L"", progId},
                       {classKey + L"\\InprocServer32", L"", serverPath},
                       {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
                       {classKey + L"\\ProgID", L"", progId},
                       {classKey + L"\\TypeLib", L"", library},
                       {progId, L"", progId},
                       {progId + L"\\CLSID", L"", guidText(description->classId)},
                   });
    // Every identifier the class answers to is registered as its interface.
    for (const identity::Guid* id : description->answeredInterfaceIds) {
      const std::wstring key = interfaceKey(*id);
      entries.insert(entries.end(),
                     {
                         {key, L"", wide(description->interfaceName)},
                         {key + L"\\ProxyStubClsid", L"", guidText(automationMarshaler)},
                         {key + L"\\ProxyStubClsid32", L"", guidText(automationMarshaler)},
                         {key + L"\\TypeLib", L"", library},
                         {key + L"\\TypeLib", L"Version", hexVersion()},
                     });
    }
  }
  return entries;
}

HRESULT registerServer(RegistrationScope scope, const std::wstring& serverPath) {
  const ClassesRoot root(scope);
  if (FAILED(root.status())) return root.status();
  for (const RegistryEntry& entry : registrationEntries(serverPath, folderOf(serverPath))) {
    const HRESULT status = write(root.key(), entry);
    if (FAILED(status)) {
      unregisterServer(scope);
      return status;
    }
  }
  return S_OK;
}

HRESULT unregisterServer(RegistrationScope scope) {
  const ClassesRoot root(scope);
  if (FAILED(root.status())) return root.status();
  HRESULT overall = S_OK;
  const auto note = [&overall](HRESULT status) {
    if (FAILED(status) && SUCCEEDED(overall)) overall = status;
  };
  for (const std::wstring& key : classKeys()) note(removeTree(root.key(), key));
  for (const std::wstring& key : interfaceKeys()) note(removeTree(root.key(), key));
  for (const std::wstring& key : progIdKeys()) note(removeTree(root.key(), key));
  note(removeTypeLibrary(root.key()));
  for (const std::wstring& key : classKeys()) note(removeEmptyParents(root.key(), key));
  for (const std::wstring& key : interfaceKeys()) note(removeEmptyParents(root.key(), key));
  note(removeEmptyParents(root.key(), typeLibraryKey()));
  return overall;
}

HRESULT install(bool install, const wchar_t* commandLine, const std::wstring& serverPath) {
  RegistrationScope scope = RegistrationScope::Machine;
  if (commandLine != nullptr &&
      CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL) {
    scope = RegistrationScope::User;
  } else if (commandLine != nullptr && *commandLine != L'\0') {
    return E_INVALIDARG;
  }
  return install ? registerServer(scope, serverPath) : unregisterServer(scope);
}

}  // namespace zarn::com
