// The registry work of the reg verbs, through RegistryService alone: keys
// opened and always closed again, whole lists of subkeys and values, trees
// read into memory, written and deleted depth first. Names, paths and data
// are in the narrow code page, as the service takes them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry_service.h"

namespace zarn::cli {

struct StoredValue {
  std::string name;  // empty for the default value
  uint32_t type = 0;
  std::string data;
};

struct KeyTree {
  // A named struct rather than a std::pair, which may not hold the still
  // incomplete KeyTree (clang refuses it).
  struct SubKey;
  std::vector<StoredValue> values;
  std::vector<SubKey> subKeys;  // in enumeration order
};

struct KeyTree::SubKey {
  std::string name;
  KeyTree tree;
};

// A key handle that is closed when it goes away.
class OpenedKey {
 public:
  OpenedKey() = default;
  ~OpenedKey();
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;

  // Opens for reading values and listing subkeys, and for setting and
  // deleting values when writable.
  RegistryStatus open(KeyHandle root, const std::string& path, bool writable = false);
  // Opens for everything, creating the key and every missing one above it.
  RegistryStatus create(KeyHandle root, const std::string& path);
  KeyHandle handle() const { return handle_; }

 private:
  void close();
  KeyHandle handle_ = 0;
};

// path\name, or name below a root (whose path is empty).
std::string childPath(const std::string& path, const std::string& name);

RegistryStatus listSubKeys(KeyHandle key, std::vector<std::string>& names);
RegistryStatus listValues(KeyHandle key, std::vector<StoredValue>& values);
// 2 when there is no such value.
RegistryStatus readValue(KeyHandle key, const std::string& name, StoredValue& value);
RegistryStatus writeValue(KeyHandle key, const StoredValue& value);

// The key's values and, when recursive, all of its subkeys.
RegistryStatus readTree(KeyHandle root, const std::string& path, bool recursive, KeyTree& tree);

// Deletes the key with everything below it, deepest keys first, through
// RegDeleteKeyA, which only ever deletes a key without subkeys.
RegistryStatus deleteTree(KeyHandle root, const std::string& path);

}  // namespace zarn::cli
