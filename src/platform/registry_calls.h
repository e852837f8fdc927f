// The registry functions as the typed registry API needs them: names and
// paths in UTF-8, value data in the platform's stored form, buffers grown
// here. On Windows they are the wide-character functions of advapi32 (text
// converted between UTF-8 and UTF-16 at the call); natively they forward to
// RegistryService, whose store speaks UTF-8 already and has one view only.
// Every function answers the platform's status code (registry_service.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_service.h"

namespace zarn::registry_calls {

// The access mask's view bits, KEY_WOW64_64KEY and KEY_WOW64_32KEY; the
// native store ignores them.
constexpr uint32_t view64 = 0x0100;
constexpr uint32_t view32 = 0x0200;

RegistryStatus openKey(KeyHandle parent, const std::string& path, uint32_t access, KeyHandle& key);
RegistryStatus createKey(KeyHandle parent, const std::string& path, uint32_t access,
                         KeyHandle& key);
RegistryStatus closeKey(KeyHandle key);

// Subkey number index, in the platform's order; 259 past the last.
RegistryStatus enumKey(KeyHandle key, uint32_t index, std::string& name);

// Value number index with its type and data; 259 past the last.
RegistryStatus enumValue(KeyHandle key, uint32_t index, std::string& name, uint32_t& type,
                         std::vector<uint8_t>& data);

// The value's type and data; with data null only the type and the size.
RegistryStatus queryValue(KeyHandle key, const std::string& name, uint32_t& type,
                          std::vector<uint8_t>* data, uint32_t& size);

RegistryStatus setValue(KeyHandle key, const std::string& name, uint32_t type,
                        const std::vector<uint8_t>& data);

// Deletes the subkey path of key, which must have no subkeys, in the view
// given by viewBits.
RegistryStatus deleteKey(KeyHandle key, const std::string& path, uint32_t viewBits);
RegistryStatus deleteValue(KeyHandle key, const std::string& name);

// Text as the platform stores it in a value (UTF-16LE on Windows, UTF-8
// natively), without a terminator; and back, up to the first NUL.
std::vector<uint8_t> storedText(std::string_view text);
std::string textFromStored(const uint8_t* data, size_t size);
// The stored form's NUL: two bytes on Windows, one natively.
size_t storedNulSize();

// Value data between the stored form and Windows' own, in which the text
// types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are UTF-16LE with every NUL
// kept: the same bytes on Windows; natively UTF-8 converted, bytes that are
// not UTF-8 becoming U+FFFD and an odd last UTF-16 byte dropped.
std::vector<uint8_t> windowsFormOf(uint32_t type, std::vector<uint8_t> stored);
std::vector<uint8_t> storedFormOf(uint32_t type, std::vector<uint8_t> windowsForm);

// The key's values and the whole tree below it written to a hive file
// (Windows' regf format), as RegSaveKeyEx does: 183 when the file exists,
// unless replace. The file is made whole under another name and renamed
// into place, so it is never seen half written.
RegistryStatus saveKey(KeyHandle key, const std::string& file, bool replace);
// The key's values and subkeys replaced by the hive file's, as
// RegRestoreKey with REG_FORCE_RESTORE does: all of it or, when the file
// cannot be read whole, none of it (2 for a missing file, 1009 for one that
// holds no hive).
RegistryStatus restoreKey(KeyHandle key, const std::string& file);

// A hive file reached as the key subKey of root (HKEY_LOCAL_MACHINE or
// HKEY_USERS, else 87), which must not exist (183), as RegLoadKey does;
// unloadHive gives it back (87 for a key that is no loaded hive), natively
// without writing the file when writeBack is false. Windows
// works on the file while it is loaded. Natively loading copies the hive
// into the store, recorded as Windows lists its loaded hives (a value of
// HKLM\SYSTEM\CurrentControlSet\Control\hivelist naming the file), and
// unloading writes the key's tree back to the file, whole or not at all,
// then removes the key and the record.
RegistryStatus loadHive(KeyHandle root, const std::string& subKey, const std::string& file);
RegistryStatus unloadHive(KeyHandle root, const std::string& subKey, bool writeBack);

// %NAME% references replaced by the environment's values, as
// ExpandEnvironmentStrings does; unknown names stay as written.
std::string expandEnvironment(const std::string& text);

}  // namespace zarn::registry_calls
