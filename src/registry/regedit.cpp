// Regedit's public registry methods: resolve the path, call one worker, shape
// its status into the result.
#include "registry/regedit.h"

#include <string>

#include "component/calling_model.h"

namespace zarn {
namespace {

Text statusText(RegistryStatus status) {
  const std::string digits = std::to_string(status);
  return Text(digits.begin(), digits.end());
}

}  // namespace

KeyHandle Regedit::ResolveRootKey(const Text& rootSegment) { return rootKeyForName(rootSegment); }

KeyPath Regedit::resolveItem(const Text& sKey) {
  return resolveItemForm(sKey, [this](const Text& root) { return ResolveRootKey(root); });
}

CallStatus Regedit::EnumKeys(Text sKey, Text sDelim, Text& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveListingForm(sKey, EmptySegments::Skip,
                                            [this](const Text& root) { return ResolveRootKey(root); });
    Text list;
    RegistryStatus status = 0;
    ListSubKeys(path.rootKey, path.keyPath, sDelim, list, status);
    result = status == 0 ? list : statusText(status);
  });
}

CallStatus Regedit::EnumValues(Text sKey, Text& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveListingForm(sKey, EmptySegments::Keep,
                                            [this](const Text& root) { return ResolveRootKey(root); });
    Text list;
    RegistryStatus status = 0;
    ListValues(path.rootKey, path.keyPath, list, status);
    result = status == 0 ? list : statusText(status);
  });
}

CallStatus Regedit::DeleteKey(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveItem(sKey);
    RegistryStatus status = 0;
    DeleteSubKey(path.rootKey, path.keyPath, path.lastSegment, status);
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::DeleteValue(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveItem(sKey);
    RegistryStatus status = 0;
    DeleteNamedValue(path.rootKey, path.keyPath, path.lastSegment, status);
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::ReadValue(Text sKey, Text sType, Variant vDefault, Variant& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveItem(sKey);
    RegistryStatus status = 0;
    QueryTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vDefault, result, status);
  });
}

CallStatus Regedit::WriteValue(Text sKey, Text sType, Variant vValue, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = resolveItem(sKey);
    RegistryStatus status = 0;
    StoreTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vValue, status);
    if (status == 0) result = automationTrue;
  });
}

}  // namespace zarn
