// Regedit: path resolution and the public methods. Each registry method
// resolves its path, passes the guard that refuses names the registry would
// receive changed, calls one worker (regedit_workers.cpp) and shapes the
// worker's status into its result; the INI shortcuts forward to a fresh
// IniEdit; the UTF-8 and list forms decode their arguments as UTF-8 (or
// fail), then take the same steps and give back the result or throw.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "automation/calling_model.h"
#include "automation/listing.h"
#include "platform/conversions.h"
#include "platform/root_keys.h"
#include "registry/regedit_internals.h"
#include "zarnutils/automation_error.h"
#include "zarnutils/ini_edit.h"

namespace zarn {

namespace {

// Root names are ASCII, and upper-casing maps no other character into ASCII,
// so a segment names a root when it matches it letter for letter.
bool names(std::u16string_view segment, std::string_view name) {
  const auto upper = [](char16_t unit) {
    return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
  };
  return segment.size() == name.size() &&
         std::equal(segment.begin(), segment.end(), name.begin(), [&](char16_t unit, char letter) {
           return upper(unit) == upper(static_cast<char16_t>(letter));
         });
}

// The segments of a path are the texts between its backslashes; segment 0
// ends at the first one. Segments 1..N of the listing form and 1..N-1 of
// the item form, joined with backslashes again, are the text between the
// first backslash and the end or the last backslash.
std::u16string_view rootSegment(const Text& path) {
  if (path.empty()) throw AutomationError(error::SubscriptOutOfRange);
  return std::u16string_view(path).substr(0, path.find(u'\\'));
}

Text withoutEmptySegments(std::u16string_view keyPath) {
  Text joined;
  size_t start = 0;
  while (start <= keyPath.size()) {
    const size_t end = std::min(keyPath.find(u'\\', start), keyPath.size());
    if (end > start) {
      if (!joined.empty()) joined += u'\\';
      joined += keyPath.substr(start, end - start);
    }
    start = end + 1;
  }
  return joined;
}

// A key path or value name that the registry's narrow functions would
// receive changed would silently name another key or value: they end a name
// at its first NUL, and the narrow code page puts "?" in place of a
// character it cannot hold. Such a name is refused before any registry call,
// as the registry refuses an invalid parameter.
bool reachesRegistryUnchanged(const Text& name) {
  return name.find(u'\0') == Text::npos && narrowHolds(name);
}

bool refusedName(const KeyPath& path, RegistryStatus& status) {
  const bool refused =
      !reachesRegistryUnchanged(path.keyPath) || !reachesRegistryUnchanged(path.lastSegment);
  if (refused) status = registry_status::InvalidParameter;
  return refused;
}

}  // namespace

// A path may name every root of the table, by its short or its long name.
// No two names are alike, so the table's order decides nothing.
RootKeyValue rootKeyForName(std::u16string_view segment) {
  for (const RootKey& root : rootKeys) {
    if (names(segment, root.shortName) || names(segment, root.longName)) return root.value;
  }
  return 0;
}

KeyPath resolveListingForm(const Text& path, EmptySegments emptySegments,
                           const RootResolver& resolveRoot) {
  const std::u16string_view root = rootSegment(path);
  KeyPath resolved;
  resolved.rootKey = resolveRoot(Text(root));
  if (root.size() == path.size()) return resolved;
  const std::u16string_view keyPath = std::u16string_view(path).substr(root.size() + 1);
  resolved.keyPath =
      emptySegments == EmptySegments::Skip ? withoutEmptySegments(keyPath) : Text(keyPath);
  return resolved;
}

KeyPath resolveItemForm(const Text& path, const RootResolver& resolveRoot) {
  const std::u16string_view root = rootSegment(path);
  KeyPath resolved;
  resolved.rootKey = resolveRoot(Text(root));
  const size_t last = path.rfind(u'\\');
  resolved.lastSegment = last == Text::npos ? path : path.substr(last + 1);
  if (last != Text::npos && last > root.size()) {
    resolved.keyPath = path.substr(root.size() + 1, last - root.size() - 1);
  }
  return resolved;
}

RootKeyValue Regedit::Procedures::ResolveRootKey(const Text& rootSegment) {
  return rootKeyForName(rootSegment);
}

KeyPath Regedit::Procedures::resolveItem(const Text& sKey) {
  return resolveItemForm(sKey, ResolveRootKey);
}

KeyPath Regedit::Procedures::resolveListing(const Text& sKey, EmptySegments emptySegments) {
  return resolveListingForm(sKey, emptySegments, ResolveRootKey);
}

// The one step between a path and a worker, for every form of every
// registry method: a key path or name that would reach the registry changed
// is refused (87) and the worker is not called.
template <class Worker>
RegistryStatus Regedit::Procedures::throughGuard(const KeyPath& path, Worker&& worker) {
  RegistryStatus status = 0;
  if (!refusedName(path, status)) worker(status);
  return status;
}

RegistryStatus Regedit::Procedures::listSubKeys(const Text& sKey, const Text& delimiter,
                                                Text& list) {
  const KeyPath path = resolveListing(sKey, EmptySegments::Skip);
  return throughGuard(path, [&](RegistryStatus& status) {
    ListSubKeys(path.rootKey, path.keyPath, delimiter, list, status);
  });
}

RegistryStatus Regedit::Procedures::listValues(const Text& sKey, Text& list) {
  const KeyPath path = resolveListing(sKey, EmptySegments::Keep);
  return throughGuard(
      path, [&](RegistryStatus& status) { ListValues(path.rootKey, path.keyPath, list, status); });
}

CallStatus Regedit::EnumKeys(Text sKey, Text sDelim, Text& result) {
  return runPublicMethod(result, [&] {
    Text list;
    const RegistryStatus status = Procedures::listSubKeys(sKey, sDelim, list);
    result = status == 0 ? list : decimalText(status);
  });
}

CallStatus Regedit::EnumValues(Text sKey, Text& result) {
  return runPublicMethod(result, [&] {
    Text list;
    const RegistryStatus status = Procedures::listValues(sKey, list);
    result = status == 0 ? list : decimalText(status);
  });
}

CallStatus Regedit::DeleteKey(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    const RegistryStatus status = Procedures::throughGuard(path, [&](RegistryStatus& reported) {
      Procedures::DeleteSubKey(path.rootKey, path.keyPath, path.lastSegment, reported);
    });
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::DeleteValue(Text sKey, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    const RegistryStatus status = Procedures::throughGuard(path, [&](RegistryStatus& reported) {
      Procedures::DeleteNamedValue(path.rootKey, path.keyPath, path.lastSegment, reported);
    });
    if (status == 0) result = automationTrue;
  });
}

CallStatus Regedit::ReadValue(Text sKey, Text sType, Variant vDefault, Variant& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    // A refused name reads as nothing found: the default.
    result = vDefault;
    Procedures::throughGuard(path, [&](RegistryStatus& status) {
      Procedures::QueryTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vDefault,
                                  result, status);
    });
  });
}

CallStatus Regedit::WriteValue(Text sKey, Text sType, Variant vValue, AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    const KeyPath path = Procedures::resolveItem(sKey);
    const RegistryStatus status = Procedures::throughGuard(path, [&](RegistryStatus& reported) {
      Procedures::StoreTypedValue(path.rootKey, path.keyPath, path.lastSegment, sType, vValue,
                                  reported);
    });
    if (status == 0) result = automationTrue;
  });
}

// ReadIni and WriteIni: a fresh IniEdit for every call, released before the
// call returns; a failure of the forwarded call is this call's failure.

CallStatus Regedit::ReadIni(Text sFile, Text sSection, Text sItem, Variant vDefValue,
                            Text& result) {
  return runPublicMethod(result, [&] {
    IniEdit iniEdit;
    Variant value;
    throwOnFailure(iniEdit.ReadValue(sFile, sSection, sItem, u"S", vDefValue, value));
    result = toText(value);
  });
}

CallStatus Regedit::WriteIni(Text sFile, Text sSection, Text sItem, Variant vValue,
                             AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    IniEdit iniEdit;
    AutomationBoolean written = automationFalse;
    throwOnFailure(iniEdit.WriteValue(sFile, sSection, sItem, vValue, written));
    result = written;
  });
}

// The UTF-8 forms.

namespace {

bool isTrue(AutomationBoolean value) { return value != automationFalse; }

}  // namespace

std::string Regedit::EnumKeys(std::string_view sKey, std::string_view sDelim) {
  return textToUtf8(resultOrThrow<Text>(
      [&](Text& result) { return EnumKeys(utf8Argument(sKey), utf8Argument(sDelim), result); }));
}

std::string Regedit::EnumValues(std::string_view sKey) {
  return textToUtf8(
      resultOrThrow<Text>([&](Text& result) { return EnumValues(utf8Argument(sKey), result); }));
}

bool Regedit::DeleteKey(std::string_view sKey) {
  return isTrue(resultOrThrow<AutomationBoolean>(
      [&](AutomationBoolean& result) { return DeleteKey(utf8Argument(sKey), result); }));
}

std::string Regedit::ReadIni(std::string_view sFile, std::string_view sSection,
                             std::string_view sItem, const Variant& vDefValue) {
  return textToUtf8(resultOrThrow<Text>([&](Text& result) {
    return ReadIni(utf8Argument(sFile), utf8Argument(sSection), utf8Argument(sItem), vDefValue,
                   result);
  }));
}

bool Regedit::WriteIni(std::string_view sFile, std::string_view sSection, std::string_view sItem,
                       const Variant& vValue) {
  return isTrue(resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
    return WriteIni(utf8Argument(sFile), utf8Argument(sSection), utf8Argument(sItem), vValue,
                    result);
  }));
}

bool Regedit::DeleteValue(std::string_view sKey) {
  return isTrue(resultOrThrow<AutomationBoolean>(
      [&](AutomationBoolean& result) { return DeleteValue(utf8Argument(sKey), result); }));
}

Variant Regedit::ReadValue(std::string_view sKey, std::string_view sType, const Variant& vDefault) {
  return resultOrThrow<Variant>([&](Variant& result) {
    return ReadValue(utf8Argument(sKey), utf8Argument(sType), vDefault, result);
  });
}

bool Regedit::WriteValue(std::string_view sKey, std::string_view sType, const Variant& vValue) {
  return isTrue(resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
    return WriteValue(utf8Argument(sKey), utf8Argument(sType), vValue, result);
  }));
}

// The list forms: the listing bodies of EnumKeys and EnumValues, with the
// UTF-8 forms' decoding, so that a failure is told by its status rather
// than guessed from the text.

RegistryError::RegistryError(int32_t status, std::string_view sKey)
    : std::runtime_error("cannot list " + std::string(sKey) + ": status " + std::to_string(status)),
      status_(status) {}

namespace {

template <class Listing>
Text listingOrThrow(std::string_view sKey, Listing&& listing) {
  Text list;
  RegistryStatus status = 0;
  throwOnFailure(runPublicMethod(list, [&] { status = listing(utf8Argument(sKey), list); }));
  if (status != 0) throw RegistryError(status, sKey);
  return list;
}

}  // namespace

std::vector<std::string> Regedit::ListKeys(std::string_view sKey) {
  return listingItems(
      listingOrThrow(sKey, [](const Text& path,
                              Text& list) { return Procedures::listSubKeys(path, u"\\", list); }),
      u'\\');
}

std::vector<std::string> Regedit::ListValues(std::string_view sKey) {
  return listingItems(listingOrThrow(sKey, Procedures::listValues), u'\0');
}

}  // namespace zarn
