// RegistryService: the one layer through which Regedit reaches the registry.
//
// The nine operations take the arguments of the platform's narrow-character
// registry functions and return their status codes. On Windows each one is a
// pass-through to advapi32. On the native target they work on the SQLite
// registry store (see native/registry_store/registry_store.h for where it
// lives and what it promises). Text crosses this layer NUL-terminated in the narrow code page
// (narrow_text.h); sizes are in bytes.
//
// Natively, an operation that runs out of memory throws std::bad_alloc, for
// the calling model to fail the method with error 7, instead of answering a
// status the caller would take for the store's.
//
// Status codes, the same on both targets:
//   0    success
//   2    key or value not found
//   5    access denied: the handle lacks the right, the store may not be
//        written (natively also: its file may not even be read), or
//        RegDeleteKeyA on a key that still has subkeys
//   6    invalid handle: 0, unknown, already closed, or a root that does not
//        exist (HKEY_DYN_DATA)
//   10   native only: the environment names no place for the store (an
//        empty ZARNUTILS_REGISTRY_DIR)
//   87   invalid parameter: a key name over 255 characters, a value name over
//        16,383, a path deeper than 512 keys; RegDeleteKeyA with no subkey
//   161  bad path name: a key path that begins with a backslash (except
//        under HKEY_CLASSES_ROOT, which opens it as if without it)
//   234  more data: the buffer is too small; the needed size is written back
//   259  no more items: enumeration index past the end
//   998  RegSetValueExA with no data but a non-zero size
//   1016 native only: the store's file could not be read or written, or
//        holds no store (damaged, truncated, something else in its place),
//        or the change group's transaction was rolled back under it
//   1010 bad key: RegCreateKeyExA with nowhere to put the handle
//   1018 the key was deleted while this handle was open
//   1021 RegCreateKeyExA of a key that is not volatile under a volatile one
#pragma once

#include <cstdint>
#include <type_traits>

namespace zarn {

// A predefined root as the component holds, compares and passes it: its
// 32-bit value, 0 for none.
using RootKeyValue = uint32_t;

// A key handle as the platform hands it out: an HKEY, as wide as a pointer,
// on Windows; the store's 32-bit handle natively.
#ifdef _WIN32
using KeyHandle = uintptr_t;
#else
using KeyHandle = uint32_t;
#endif

using RegistryStatus = int32_t;

namespace root_key {
constexpr RootKeyValue ClassesRoot = 0x80000000;
constexpr RootKeyValue CurrentUser = 0x80000001;
constexpr RootKeyValue LocalMachine = 0x80000002;
constexpr RootKeyValue Users = 0x80000003;
constexpr RootKeyValue CurrentConfig = 0x80000005;
constexpr RootKeyValue DynData = 0x80000006;
}  // namespace root_key

// The handle the platform knows a root by: its 32-bit value sign-extended to
// the handle's width, as the platform defines its predefined keys (on 64-bit
// Windows HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002). 0 stays 0.
constexpr KeyHandle rootKeyHandle(RootKeyValue root) {
  using SignedHandle = std::make_signed_t<KeyHandle>;
  return static_cast<KeyHandle>(static_cast<SignedHandle>(static_cast<int32_t>(root)));
}

namespace key_access {
constexpr uint32_t QueryValue = 1;
constexpr uint32_t SetValue = 2;
constexpr uint32_t CreateSubKey = 4;
constexpr uint32_t EnumerateSubKeys = 8;
}  // namespace key_access

// REG_OPTION_VOLATILE: the key lives until the machine restarts.
constexpr uint32_t VolatileKeyOption = 1;

namespace value_type {
constexpr uint32_t None = 0;
constexpr uint32_t Text = 1;             // REG_SZ
constexpr uint32_t ExpandText = 2;       // REG_EXPAND_SZ
constexpr uint32_t Binary = 3;           // REG_BINARY
constexpr uint32_t Number = 4;           // REG_DWORD
constexpr uint32_t NumberBigEndian = 5;  // REG_DWORD_BIG_ENDIAN
constexpr uint32_t MultiText = 7;        // REG_MULTI_SZ
constexpr uint32_t Number64 = 11;        // REG_QWORD
}  // namespace value_type

namespace registry_status {
constexpr RegistryStatus Success = 0;
constexpr RegistryStatus NotFound = 2;
constexpr RegistryStatus AccessDenied = 5;
constexpr RegistryStatus InvalidHandle = 6;
constexpr RegistryStatus BadEnvironment = 10;
constexpr RegistryStatus InvalidParameter = 87;
constexpr RegistryStatus BadPathName = 161;
constexpr RegistryStatus MoreData = 234;
constexpr RegistryStatus NoMoreItems = 259;
constexpr RegistryStatus NoAccess = 998;
constexpr RegistryStatus BadKey = 1010;
constexpr RegistryStatus RegistryIoFailed = 1016;
constexpr RegistryStatus KeyDeleted = 1018;
constexpr RegistryStatus ChildMustBeVolatile = 1021;
}  // namespace registry_status

// The platform's record, passed all-zero to key creation.
struct SecurityAttributes {
  int32_t nLength = 0;
  int32_t lpSecurityDescriptor = 0;
  int16_t bInheritHandle = 0;
};

class RegistryService {
 public:
  // Opens root\subKey with one access right; the handle carries that right.
  // 2 when a key on the path is missing. A null or empty subKey of a root
  // answers the root's own handle (closing it does nothing); of any other
  // key, a new handle to that key. On failure *key is 0, except for a base
  // handle of 0 or a root that does not exist, which leave it alone.
  static RegistryStatus RegOpenKeyExA(KeyHandle root, const char* subKey, uint32_t options,
                                      uint32_t access, KeyHandle* key);

  // Opens root\subKey, creating every missing key on the path, whatever the
  // rights of root. disposition receives 1 (created) or 2 (existed). With
  // options REG_OPTION_VOLATILE the keys it creates are volatile; under a
  // volatile key only volatile keys may be created (1021), while opening an
  // existing key ignores the option. 1010 when key is null; on any other
  // failure *key is 0 as for RegOpenKeyExA.
  static RegistryStatus RegCreateKeyExA(KeyHandle root, const char* subKey, uint32_t reserved,
                                        const char* keyClass, uint32_t options, uint32_t access,
                                        const SecurityAttributes* security, KeyHandle* key,
                                        uint32_t* disposition);

  // 6 for 0, an unknown or an already closed handle.
  static RegistryStatus RegCloseKey(KeyHandle key);

  // The name of subkey number index (in the platform's order: by upper-cased
  // name), NUL-terminated; 234 when it does not fit in nameSize bytes, 259
  // past the last one. Needs KEY_ENUMERATE_SUB_KEYS.
  static RegistryStatus RegEnumKeyA(KeyHandle key, uint32_t index, char* name, uint32_t nameSize);

  // Value number index, in creation order. nameLength: buffer size in, name
  // length without its NUL out. type and dataSize are written when not null
  // (*dataSize is read first, so they may be one variable); data, when not
  // null, receives the value's bytes as RegQueryValueExA places them. 234
  // when the name or the data does not fit: a name that does not fit is not
  // written (nor its length), but data that fits still is; data that does
  // not fit leaves the name and its length alone too. Needs KEY_QUERY_VALUE.
  static RegistryStatus RegEnumValueA(KeyHandle key, uint32_t index, char* name,
                                      uint32_t* nameLength, uint32_t* reserved, uint32_t* type,
                                      uint8_t* data, uint32_t* dataSize);

  // Reads a value; an empty or null name is the default value. With data
  // null only the type and size are reported; with a buffer smaller than the
  // value, 234, the needed size in *dataSize and the buffer left untouched.
  // *dataSize is read before *type is written, so they may be one variable.
  // A missing value answers 2, with *dataSize 0 when data is null (a read
  // into a buffer keeps its size). Sizes are the stored ones:
  // a REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ stored without its final NUL
  // reports its size without one, and when the buffer has room after the
  // data one NUL (never two) is written there, outside the size reported.
  // Needs KEY_QUERY_VALUE.
  static RegistryStatus RegQueryValueExA(KeyHandle key, const char* valueName, uint32_t* reserved,
                                         uint32_t* type, uint8_t* data, uint32_t* dataSize);

  // Creates or replaces a value; a replaced value keeps its place in the
  // enumeration order. Needs KEY_SET_VALUE.
  static RegistryStatus RegSetValueExA(KeyHandle key, const char* valueName, uint32_t reserved,
                                       uint32_t type, const uint8_t* data, uint32_t dataSize);

  // Deletes subKey of key (the key itself for an empty subKey) with its
  // values, whatever the rights of key; 5 while it has subkeys. A null
  // subKey deletes nothing and answers 87.
  static RegistryStatus RegDeleteKeyA(KeyHandle key, const char* subKey);

  // 2 when there is no such value. Needs KEY_SET_VALUE.
  static RegistryStatus RegDeleteValueA(KeyHandle key, const char* valueName);

  // How many handles opened or created through this service are still open.
  // Tests check that every method gives back what it opened.
  static int openHandleCount();
};

// Not used by the component, whose every call stands alone: it is what the
// typed API's public Transaction stands on (through which the reg verbs make
// an import or a tree deletion happen whole or not at all), and the
// benchmarks use it. It lives beside RegistryService because only the
// platform layer reaches the native store that keeps the transactions.
//
// Makes the changes done through RegistryService while it lives one unit:
// committed together by commit(), abandoned when it goes away uncommitted.
// Natively they are one transaction per store file: a group that changes
// keys of both the user and the machine store commits each file atomically,
// one after the other. On Windows the registry functions have no
// transactions, so a group is a pass-through: every change applies at once,
// commit() answers 0 and abandoning undoes nothing. Groups do not nest.
class RegistryChangeGroup {
 public:
  RegistryChangeGroup();
  ~RegistryChangeGroup();
  RegistryChangeGroup(const RegistryChangeGroup&) = delete;
  RegistryChangeGroup& operator=(const RegistryChangeGroup&) = delete;

  RegistryStatus commit();

 private:
  bool open_ = true;
};

}  // namespace zarn
