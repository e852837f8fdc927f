// How a registry path string becomes a root key handle, a key path and a
// last segment.
//
// A path is split at every backslash, with no escaping, trimming or case
// change; segment 0 names the root. The listing form (EnumKeys, EnumValues)
// joins segments 1..N into the key path; the item form (the other four
// registry methods) joins 1..N-1 and keeps segment N as the value or subkey
// name, so "HKCU" alone names a value or subkey called HKCU under the root.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "automation/text.h"
#include "platform/registry_service.h"

namespace zarn {

struct KeyPath {
  RootKeyValue rootKey = 0;  // 0: the root segment names no root
  Text keyPath;
  Text lastSegment;  // item form only

  bool operator==(const KeyPath&) const = default;
};

// The root key handle for a root segment, by whole-text case-insensitive
// comparison with the twelve accepted names; 0 for anything else.
RootKeyValue rootKeyForName(std::u16string_view segment);

using RootResolver = std::function<RootKeyValue(const Text& rootSegment)>;

enum class EmptySegments { Keep, Skip };

// Both throw AutomationError 9 for an empty path, before anything else.
KeyPath resolveListingForm(const Text& path, EmptySegments emptySegments,
                           const RootResolver& resolveRoot);
KeyPath resolveItemForm(const Text& path, const RootResolver& resolveRoot);

}  // namespace zarn
