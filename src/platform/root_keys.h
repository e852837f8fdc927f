// The platform's predefined registry roots, each written down once: its
// value, its short name and its long name.
//
// Every layer that names roots takes them from this table instead of keeping
// its own list: the component's path resolution (registry/regedit.cpp)
// accepts both names of every root; the native store keeps the roots that
// exist under their long names; a tool (the reg verbs, say) may include
// "platform/root_keys.h" from tools/ like any seam header and loop over
// rootKeys, skipping those that do not exist, as reg.exe has no
// HKEY_DYN_DATA. Names are ASCII; callers compare them case-insensitively.
// HKEY_PERFORMANCE_DATA is deliberately not here: nothing names it.
#pragma once

#include <string_view>

#include "platform/registry_service.h"

namespace zarn {

struct RootKey {
  RootKeyValue value;
  std::string_view shortName;  // HKLM
  std::string_view longName;   // HKEY_LOCAL_MACHINE
  // False for a root that no current system has: the platform answers 6
  // (invalid handle) for it and the native store keeps no tree for it.
  bool exists;
};

// In the order of the values.
inline constexpr RootKey rootKeys[] = {
    {root_key::ClassesRoot, "HKCR", "HKEY_CLASSES_ROOT", true},
    {root_key::CurrentUser, "HKCU", "HKEY_CURRENT_USER", true},
    {root_key::LocalMachine, "HKLM", "HKEY_LOCAL_MACHINE", true},
    {root_key::Users, "HKU", "HKEY_USERS", true},
    {root_key::CurrentConfig, "HKCC", "HKEY_CURRENT_CONFIG", true},
    {root_key::DynData, "HKDD", "HKEY_DYN_DATA", false},
};

// The root with that value, or null.
constexpr const RootKey* findRootKey(RootKeyValue value) {
  for (const RootKey& root : rootKeys) {
    if (root.value == value) return &root;
  }
  return nullptr;
}

}  // namespace zarn
