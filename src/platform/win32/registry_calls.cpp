// The typed API's registry functions on Windows: advapi32's wide-character
// functions, with names, paths and text converted between UTF-8 and UTF-16
// at the call and buffers grown until the answer fits. Handles are the
// platform's own and are not counted by RegistryService.
#include "platform/registry_calls.h"

#include <windows.h>

#include <algorithm>

#include "zarnutils/text.h"

namespace zarn::registry_calls {
namespace {

HKEY toHkey(KeyHandle key) { return reinterpret_cast<HKEY>(key); }

// wchar_t is UTF-16 on Windows, the public Text's own encoding.
std::wstring wide(std::string_view utf8) {
  const Text text = utf8ToText(utf8);
  return std::wstring(text.begin(), text.end());
}

std::string utf8(std::wstring_view text) {
  return textToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

// The longest value name plus its NUL: RegEnumValueW does not report the
// name's size when it does not fit.
constexpr DWORD longestValueName = 16384;

}  // namespace

RegistryStatus openKey(KeyHandle parent, const std::string& path, uint32_t access, KeyHandle& key) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExW(toHkey(parent), wide(path).c_str(), 0, access, &opened);
  key = reinterpret_cast<KeyHandle>(opened);
  return status;
}

RegistryStatus createKey(KeyHandle parent, const std::string& path, uint32_t access,
                         KeyHandle& key) {
  HKEY created = nullptr;
  const LONG status = ::RegCreateKeyExW(toHkey(parent), wide(path).c_str(), 0, nullptr, 0, access,
                                        nullptr, &created, nullptr);
  key = reinterpret_cast<KeyHandle>(created);
  return status;
}

RegistryStatus closeKey(KeyHandle key) { return ::RegCloseKey(toHkey(key)); }

RegistryStatus enumKey(KeyHandle key, uint32_t index, std::string& name) {
  wchar_t buffer[256];
  DWORD length = 256;
  const LONG status =
      ::RegEnumKeyExW(toHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name = utf8(std::wstring_view(buffer, length));
  return status;
}

RegistryStatus enumValue(KeyHandle key, uint32_t index, std::string& name, uint32_t& type,
                         std::vector<uint8_t>& data) {
  std::wstring buffer(256, L'\0');
  data.resize(256);
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    DWORD size = static_cast<DWORD>(data.size());
    DWORD valueType = 0;
    const LONG status = ::RegEnumValueW(toHkey(key), index, buffer.data(), &length, nullptr,
                                        &valueType, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      buffer.resize(longestValueName);
      data.resize(std::max<size_t>(data.size(), size));
      continue;
    }
    if (status == ERROR_SUCCESS) {
      name = utf8(std::wstring_view(buffer.data(), length));
      type = static_cast<uint32_t>(valueType);
      data.resize(size);
    }
    return status;
  }
}

RegistryStatus queryValue(KeyHandle key, const std::string& name, uint32_t& type,
                          std::vector<uint8_t>* data, uint32_t& size) {
  const std::wstring valueName = wide(name);
  // An empty buffer would pass a null pointer, which asks for the size alone.
  if (data && data->empty()) data->resize(1);
  for (;;) {
    DWORD valueType = 0;
    DWORD length = data ? static_cast<DWORD>(data->size()) : 0;
    const LONG status = ::RegQueryValueExW(toHkey(key), valueName.c_str(), nullptr, &valueType,
                                           data ? data->data() : nullptr, &length);
    type = static_cast<uint32_t>(valueType);
    size = static_cast<uint32_t>(length);
    if (data && status == ERROR_MORE_DATA) {
      data->resize(length);
      continue;
    }
    if (data && status == ERROR_SUCCESS) data->resize(length);
    return status;
  }
}

RegistryStatus setValue(KeyHandle key, const std::string& name, uint32_t type,
                        const std::vector<uint8_t>& data) {
  return ::RegSetValueExW(toHkey(key), wide(name).c_str(), 0, type, data.data(),
                          static_cast<DWORD>(data.size()));
}

RegistryStatus deleteKey(KeyHandle key, const std::string& path, uint32_t viewBits) {
  return ::RegDeleteKeyExW(toHkey(key), wide(path).c_str(), viewBits, 0);
}

RegistryStatus deleteValue(KeyHandle key, const std::string& name) {
  return ::RegDeleteValueW(toHkey(key), wide(name).c_str());
}

std::vector<uint8_t> storedText(std::string_view text) {
  const std::wstring converted = wide(text);
  std::vector<uint8_t> bytes(converted.size() * 2);
  for (size_t i = 0; i < converted.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(converted[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<uint8_t>(converted[i] >> 8);
  }
  return bytes;
}

std::string textFromStored(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == L'\0') break;
    text += unit;
  }
  return utf8(text);
}

size_t storedNulSize() { return 2; }

// The registry's wide-character functions store Windows' own form.
std::vector<uint8_t> windowsFormOf(uint32_t, std::vector<uint8_t> stored) { return stored; }
std::vector<uint8_t> storedFormOf(uint32_t, std::vector<uint8_t> windowsForm) {
  return windowsForm;
}

namespace {

// Saving and restoring keys need the backup and the restore privilege,
// which an administrator holds but has not enabled; each call enables its
// own for the process. Without it the call answers 1314 ("a required
// privilege is not held by the client").
RegistryStatus enablePrivilege(const wchar_t* privilege) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
    return static_cast<RegistryStatus>(GetLastError());
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  RegistryStatus status = registry_status::Success;
  if (!LookupPrivilegeValueW(nullptr, privilege, &privileges.Privileges[0].Luid) ||
      !AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr)) {
    status = static_cast<RegistryStatus>(GetLastError());
  } else if (GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
    status = ERROR_PRIVILEGE_NOT_HELD;
  }
  CloseHandle(token);
  return status;
}

}  // namespace

RegistryStatus saveKey(KeyHandle key, const std::string& file, bool replace) {
  if (const RegistryStatus status = enablePrivilege(L"SeBackupPrivilege")) return status;
  const std::wstring target = wide(file);
  if (!replace) return ::RegSaveKeyExW(toHkey(key), target.c_str(), nullptr, REG_LATEST_FORMAT);
  // The registry writes only new files: the new one replaces the old once whole.
  const std::wstring made = target + L".zarnutils-" + std::to_wstring(GetCurrentProcessId());
  DeleteFileW(made.c_str());
  RegistryStatus status = ::RegSaveKeyExW(toHkey(key), made.c_str(), nullptr, REG_LATEST_FORMAT);
  if (!status && !MoveFileExW(made.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    status = static_cast<RegistryStatus>(GetLastError());
  }
  if (status) DeleteFileW(made.c_str());
  return status;
}

RegistryStatus restoreKey(KeyHandle key, const std::string& file) {
  if (const RegistryStatus status = enablePrivilege(L"SeRestorePrivilege")) return status;
  if (const RegistryStatus status = enablePrivilege(L"SeBackupPrivilege")) return status;
  return ::RegRestoreKeyW(toHkey(key), wide(file).c_str(), REG_FORCE_RESTORE);
}

RegistryStatus loadHive(KeyHandle root, const std::string& subKey, const std::string& file) {
  if (const RegistryStatus status = enablePrivilege(L"SeRestorePrivilege")) return status;
  if (const RegistryStatus status = enablePrivilege(L"SeBackupPrivilege")) return status;
  return ::RegLoadKeyW(toHkey(root), wide(subKey).c_str(), wide(file).c_str());
}

// Windows keeps a loaded hive's file up to date itself: there is nothing
// to write back, or to leave unwritten.
RegistryStatus unloadHive(KeyHandle root, const std::string& subKey, bool) {
  if (const RegistryStatus status = enablePrivilege(L"SeRestorePrivilege")) return status;
  if (const RegistryStatus status = enablePrivilege(L"SeBackupPrivilege")) return status;
  return ::RegUnLoadKeyW(toHkey(root), wide(subKey).c_str());
}

std::string expandEnvironment(const std::string& text) {
  const std::wstring source = wide(text);
  std::wstring expanded(source.size() + 1, L'\0');
  for (;;) {
    const DWORD needed = ::ExpandEnvironmentStringsW(source.c_str(), expanded.data(),
                                                     static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return utf8(expanded);
    }
    expanded.resize(needed);
  }
}

}  // namespace zarn::registry_calls
