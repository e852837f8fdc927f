// Regedit's public registry methods: resolve the path, call one worker, shape
// its status into the result.
#include "registry/regedit_procedures.h"

#include "automation/calling_model.h"

namespace zarn {

RootKeyValue Regedit::Procedures::ResolveRootKey(const Text& rootSegment) {
  return rootKeyForName(rootSegment);
}

KeyPath Regedit::Procedures::resolveItem(const Text& sKey) {
  return resolveItemForm(sKey, ResolveRootKey);
}

KeyPath Regedit::Procedures::resolveListing(const Text& sKey, EmptySegments emptySegments) {
  return resolveListingForm(sKey, emptySegments, ResolveRootKey);
}

CallStatus Regedit::EnumKeys(Text sKey, Text sDelim, Text& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveListing(sKey, EmptySegments::Skip);
    Text list;
    RegistryStatus status = 0;
    Procedures::ListSubKeys(path.rootKey, path.keyPath, sDelim, list, status);
    result = status == 0 ? list : decimalText(status);
  });
}

CallStatus Regedit::EnumValues(Text sKey, Text& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveListing(sKey, EmptySegments::Keep);
    Text list;
    RegistryStatus status = 0;
    Procedures::ListValues(path.rootKey, path.keyPath, list, status);
    result = status == 0 ? list : decimalText(status);
  });
}

CallStatus Regedit::DeleteKey(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    RegistryStatus status = 0;
    Procedures::DeleteSubKey(path.rootKey, path.keyPath, path.lastSegment, status);
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::DeleteValue(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    RegistryStatus status = 0;
    Procedures::DeleteNamedValue(path.rootKey, path.keyPath, path.lastSegment, status);
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::ReadValue(Text sKey, Text sType, Variant vDefault, Variant& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    RegistryStatus status = 0;
    Procedures::QueryTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vDefault,
                                result, status);
  });
}

CallStatus Regedit::WriteValue(Text sKey, Text sType, Variant vValue, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    RegistryStatus status = 0;
    Procedures::StoreTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vValue,
                                status);
    if (status == 0) result = automationTrue;
  });
}

}  // namespace zarn
