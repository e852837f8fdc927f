// Regedit: reads, writes, lists and deletes registry keys and values named by
// one path string ("HKLM\Software\Vendor\App\Port"), and reads and writes INI
// entries as text through a fresh IniEdit.
//
// The object holds no state. Every public method copies its arguments, takes
// its result from its initial value, and fails only for an empty path (error
// 9) or a failing forwarded INI call; every registry outcome is a return
// value: the value read or the caller's default, true or false, the listing
// or the status code as decimal text. Each registry method hands its work to
// one private worker that opens or creates one key through RegistryService,
// works on it and closes it on every path.
#pragma once

#include "automation/call_status.h"
#include "automation/text.h"
#include "automation/variant.h"
#include "platform/registry_service.h"
#include "registry/key_path.h"

namespace zarn {

class Regedit {
 public:
  // Public methods, in interface order.
  CallStatus EnumKeys(Text sKey, Text sDelim, Text& result);
  CallStatus EnumValues(Text sKey, Text& result);
  CallStatus DeleteKey(Text sKey, AutomationBoolean& result);
  CallStatus ReadIni(Text sFile, Text sSection, Text sItem, Variant vDefValue, Text& result);
  CallStatus WriteIni(Text sFile, Text sSection, Text sItem, Variant vValue,
                      AutomationBoolean& result);
  CallStatus DeleteValue(Text sKey, AutomationBoolean& result);
  CallStatus ReadValue(Text sKey, Text sType, Variant vDefault, Variant& result);
  CallStatus WriteValue(Text sKey, Text sType, Variant vValue, AutomationBoolean& result);

 private:
  // Private procedures, in the order of the class's method table. Workers
  // report only through their out parameters and never throw.
  RootKeyValue ResolveRootKey(const Text& rootSegment);
  void DeleteSubKey(RootKeyValue rootKey, Text keyPath, Text subKeyName, RegistryStatus& status);
  void DeleteNamedValue(RootKeyValue rootKey, Text keyPath, Text valueName, RegistryStatus& status);
  void ListSubKeys(RootKeyValue rootKey, Text keyPath, Text delimiter, Text& list,
                   RegistryStatus& status);
  void ListValues(RootKeyValue rootKey, Text keyPath, Text& list, RegistryStatus& status);
  void QueryTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName, Text typeLetter,
                       Variant defaultValue, Variant& result, RegistryStatus& status);
  void StoreTypedValue(RootKeyValue rootKey, Text keyPath, Text valueName, Text typeLetter,
                       Variant value, RegistryStatus& status);

  // Path resolution with ResolveRootKey for the root segment.
  KeyPath resolveItem(const Text& sKey);
  KeyPath resolveListing(const Text& sKey, EmptySegments emptySegments);
};

}  // namespace zarn
