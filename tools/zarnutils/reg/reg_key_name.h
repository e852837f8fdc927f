// A key as reg.exe names it: a root (HKLM or HKEY_LOCAL_MACHINE, in any
// letter case) and the path below it, as typed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_service.h"

namespace zarn::cli {

struct KeyName {
  KeyHandle root = 0;
  std::string rootName;  // the long form: HKEY_LOCAL_MACHINE
  std::string path;      // UTF-8, without leading or trailing backslashes; empty for the root

  // HKEY_LOCAL_MACHINE\Software\Vendor, as reg.exe prints it.
  std::string fullName() const;
  // The key below this one, named as enumeration returned it.
  KeyName child(std::string_view name) const;
  bool isRoot() const { return path.empty(); }
};

// Nothing for an unknown root, a remote key (\\machine\...), or an empty
// name between backslashes.
std::optional<KeyName> parseKeyName(std::string_view written);

// Whether two names denote the same key (names compare case-insensitively).
bool sameKey(const KeyName& left, const KeyName& right);

}  // namespace zarn::cli
