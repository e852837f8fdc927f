// Regedit's private procedures, in the order of the class's method table,
// and the path resolution its registry methods share. Workers report only
// through their out parameters and never throw.
#pragma once

#include "platform/registry_service.h"
#include "registry/key_path.h"
#include "zarnutils/regedit.h"

namespace zarn {

struct Regedit::Procedures {
  static RootKeyValue ResolveRootKey(const Text& rootSegment);
  static void DeleteSubKey(RootKeyValue rootKey, Text keyPath, Text subKeyName,
                           RegistryStatus& status);
  static void DeleteNamedValue(RootKeyValue rootKey, Text keyPath, Text valueName,
                               RegistryStatus& status);
  static void ListSubKeys(RootKeyValue rootKey, Text keyPath, Text delimiter, Text& list,
                          RegistryStatus& status);
  static void ListValues(RootKeyValue rootKey, Text keyPath, Text& list, RegistryStatus& status);
  static void QueryTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName, Text typeLetter,
                              Variant defaultValue, Variant& result, RegistryStatus& status);
  static void StoreTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName, Text typeLetter,
                              Variant value, RegistryStatus& status);

  // Path resolution with ResolveRootKey for the root segment.
  static KeyPath resolveItem(const Text& sKey);
  static KeyPath resolveListing(const Text& sKey, EmptySegments emptySegments);
};

}  // namespace zarn
