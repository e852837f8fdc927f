#include "platform/native/registry_store/registry_store.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/narrow_text.h"

namespace zarn {
namespace {

using namespace registry_status;

// The platform's status for a registry file that could not be read or written.
constexpr RegistryStatus RegistryIoFailed = 1016;
// The platform's status for data it cannot read: a null pointer with a size.
constexpr RegistryStatus NoAccess = 998;

constexpr uint32_t AllAccess = 0xF003F;
// Creating and deleting keys ignore the rights of the handle they start from.
constexpr uint32_t NoRightNeeded = 0;
constexpr size_t MaxKeyNameLength = 255;
constexpr size_t MaxValueNameLength = 16383;
constexpr size_t MaxKeyDepth = 512;
constexpr KeyHandle FirstHandle = 0x1000;
constexpr KeyHandle HandleStep = 4;

struct RootKey {
  KeyHandle handle;
  const char* name;
  bool inUserStore;
};

constexpr RootKey rootKeys[] = {
    {root_key::ClassesRoot, "HKEY_CLASSES_ROOT", false},
    {root_key::CurrentUser, "HKEY_CURRENT_USER", true},
    {root_key::LocalMachine, "HKEY_LOCAL_MACHINE", false},
    {root_key::Users, "HKEY_USERS", false},
    {root_key::CurrentConfig, "HKEY_CURRENT_CONFIG", false},
};

const RootKey* findRoot(KeyHandle handle) {
  for (const RootKey& root : rootKeys) {
    if (root.handle == handle) return &root;
  }
  return nullptr;
}

std::vector<std::string> rootNames(bool user) {
  std::vector<std::string> names;
  for (const RootKey& root : rootKeys) {
    if (root.inUserStore == user) names.emplace_back(root.name);
  }
  return names;
}

size_t characterCount(std::string_view narrow) { return fromNarrow(narrow).size(); }

// The existing key that names lead to from start, or nothing when one of
// them is missing.
std::optional<KeyId> findExistingPath(RegistryDatabase& database, KeyId start,
                                      const std::vector<std::string_view>& names) {
  KeyId current = start;
  for (const std::string_view name : names) {
    const std::optional<KeyId> child = database.findSubKey(current, name);
    if (!child) return std::nullopt;
    current = *child;
  }
  return current;
}

// Splits a key path at its backslashes. Empty names, from a trailing or a
// doubled backslash, are skipped; a leading backslash is refused.
RegistryStatus splitKeyPath(const char* path, std::vector<std::string_view>& names) {
  const std::string_view text = path ? path : "";
  if (!text.empty() && text.front() == '\\') return BadPathName;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\\', start), text.size());
    const std::string_view name = text.substr(start, end - start);
    if (characterCount(name) > MaxKeyNameLength) return InvalidParameter;
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names.size() > MaxKeyDepth ? InvalidParameter : Success;
}

std::string_view valueNameOf(const char* valueName) { return valueName ? valueName : ""; }

RegistryStatus valueArgumentStatus(std::string_view name, const uint8_t* data, uint32_t dataSize) {
  if (characterCount(name) > MaxValueNameLength) return InvalidParameter;
  if (!data && dataSize) return NoAccess;
  return Success;
}

RegistryStatus statusOf(const SqliteError& error) {
  const int primary = error.code() & 0xFF;
  return primary == SQLITE_READONLY || primary == SQLITE_PERM || primary == SQLITE_AUTH
             ? AccessDenied
             : RegistryIoFailed;
}

}  // namespace

RegistryStore::RegistryStore(RegistryLocation location) : location_(std::move(location)) {}

RegistryStore::~RegistryStore() = default;

template <typename Operation>
RegistryStatus RegistryStore::guarded(Operation operation) {
  std::lock_guard lock(mutex_);
  try {
    return operation();
  } catch (const SqliteError& error) {
    return statusOf(error);
  } catch (const std::exception&) {
    return RegistryIoFailed;
  }
}

template <typename Work>
RegistryStatus RegistryStore::change(KeyHandle handle, RegistryStatus argumentStatus,
                                     uint32_t requiredAccess, Work work) {
  return guarded([&] {
    OpenKey* open = nullptr;
    if (const RegistryStatus status = lookUp(handle, open)) return status;
    if (argumentStatus) return argumentStatus;
    if ((open->access & requiredAccess) != requiredAccess) return AccessDenied;
    RegistryDatabase& database = *open->database;
    bringOntoDisk(database, &RegistryDatabase::make);
    if (!database.writable()) return AccessDenied;
    if (const RegistryStatus status = joinGroup(database)) return status;
    Transaction transaction(database.connection(), grouping_);
    // Checked inside the transaction, so that no other process can delete
    // the key between the check and the change.
    if (!database.keyExists(open->key)) return KeyDeleted;
    return work(transaction, database, open->key);
  });
}

RegistryStatus RegistryStore::joinGroup(RegistryDatabase& database) {
  if (!grouping_) return Success;
  const auto joined = groupTransactions_.find(&database);
  if (joined == groupTransactions_.end()) {
    groupTransactions_.emplace(&database, std::make_unique<Transaction>(database.connection()));
    return Success;
  }
  // SQLite rolls a whole transaction back on some failures (a full disk, an
  // I/O error); changes after that must not be committed one by one.
  return sqlite3_get_autocommit(database.connection()) ? RegistryIoFailed : Success;
}

void RegistryStore::beginChangeGroup() {
  std::lock_guard lock(mutex_);
  grouping_ = true;
}

RegistryStatus RegistryStore::endChangeGroup(bool commit) {
  std::lock_guard lock(mutex_);
  grouping_ = false;
  const auto transactions = std::move(groupTransactions_);
  groupTransactions_.clear();
  if (!commit) return Success;
  for (const auto& [database, transaction] : transactions) {
    try {
      transaction->commit();
    } catch (const SqliteError& error) {
      return statusOf(error);
    }
  }
  return Success;
}

RegistryDatabase& RegistryStore::database(bool user) {
  std::unique_ptr<RegistryDatabase>& database = user ? user_ : machine_;
  if (!database) {
    const auto file = user ? location_.userFile() : location_.machineFile();
    database = std::make_unique<RegistryDatabase>(file, user ? 0600 : 0644, rootNames(user));
  }
  return *database;
}

void RegistryStore::bringOntoDisk(RegistryDatabase& database, bool (RegistryDatabase::*step)()) {
  if (database.present()) return;
  const std::map<std::string, KeyId> absentRoots = database.roots();
  if (!(database.*step)()) return;
  // Only roots exist in an absent store, so every handle into it names one.
  for (auto* handles : {&handles_, &roots_}) {
    for (auto& [handle, open] : *handles) {
      if (open.database != &database) continue;
      for (const auto& [name, id] : absentRoots) {
        if (open.key != id) continue;
        open = OpenKey{&database, database.rootKey(name), open.access, {}, {}};
        break;
      }
    }
  }
}

RegistryStatus RegistryStore::lookUp(KeyHandle handle, OpenKey*& openKey) {
  if (const auto found = handles_.find(handle); found != handles_.end()) {
    openKey = &found->second;
    bringOntoDisk(*openKey->database, &RegistryDatabase::openIfMade);
    return Success;
  }
  const RootKey* root = findRoot(handle);
  if (!root) return InvalidHandle;
  auto found = roots_.find(handle);
  if (found == roots_.end()) {
    RegistryDatabase& rootDatabase = database(root->inUserStore);
    const OpenKey rootKey{&rootDatabase, rootDatabase.rootKey(root->name), AllAccess, {}, {}};
    found = roots_.emplace(handle, rootKey).first;
  }
  openKey = &found->second;
  bringOntoDisk(*openKey->database, &RegistryDatabase::openIfMade);
  return Success;
}

KeyHandle RegistryStore::addHandle(RegistryDatabase& database, KeyId key, uint32_t access) {
  do {
    lastHandle_ = lastHandle_ < FirstHandle || lastHandle_ >= root_key::ClassesRoot - HandleStep
                      ? FirstHandle
                      : lastHandle_ + HandleStep;
  } while (handles_.count(lastHandle_));
  handles_.emplace(lastHandle_, OpenKey{&database, key, access, {}, {}});
  return lastHandle_;
}

RegistryStatus RegistryStore::openKey(KeyHandle root, const char* subKey, uint32_t access,
                                      KeyHandle* key) {
  return guarded([&] {
    if (!key) return InvalidParameter;
    OpenKey* base = nullptr;
    if (const RegistryStatus status = lookUp(root, base)) return status;
    std::vector<std::string_view> names;
    if (const RegistryStatus status = splitKeyPath(subKey, names)) return status;
    RegistryDatabase& database = *base->database;
    if (!database.keyExists(base->key)) return KeyDeleted;
    const std::optional<KeyId> found = findExistingPath(database, base->key, names);
    if (!found) return NotFound;
    *key = addHandle(database, *found, access);
    return Success;
  });
}

RegistryStatus RegistryStore::createKey(KeyHandle root, const char* subKey, uint32_t access,
                                        KeyHandle* key, uint32_t* disposition) {
  if (!key) return InvalidParameter;
  std::vector<std::string_view> names;
  const RegistryStatus pathStatus = splitKeyPath(subKey, names);
  return change(root, pathStatus, NoRightNeeded,
                [&](Transaction& transaction, RegistryDatabase& database, KeyId base) {
                  KeyId current = base;
                  bool created = false;
                  for (const std::string_view name : names) {
                    if (const std::optional<KeyId> child = database.findSubKey(current, name)) {
                      current = *child;
                    } else {
                      current = database.insertSubKey(current, name);
                      created = true;
                    }
                  }
                  transaction.commit();
                  *key = addHandle(database, current, access);
                  if (disposition) *disposition = created ? 1 : 2;
                  return Success;
                });
}

RegistryStatus RegistryStore::closeKey(KeyHandle key) {
  return guarded([&] {
    if (handles_.erase(key)) return Success;
    return findRoot(key) ? Success : InvalidHandle;
  });
}

RegistryStatus RegistryStore::enumKey(KeyHandle key, uint32_t index, char* name,
                                      uint32_t nameSize) {
  return guarded([&] {
    OpenKey* open = nullptr;
    if (const RegistryStatus status = lookUp(key, open)) return status;
    if (!name) return InvalidParameter;
    if (!(open->access & key_access::EnumerateSubKeys)) return AccessDenied;
    RegistryDatabase& database = *open->database;
    if (!database.keyExists(open->key)) return KeyDeleted;
    // Continue from the previous call when it asked for an earlier index;
    // otherwise walk from the first subkey.
    SubKeyCursor& cursor = open->subKeys;
    const bool onward = cursor.index && index > *cursor.index;
    const auto subKey = database.subKeyAfter(open->key, onward ? cursor.foldedName : std::string(),
                                             onward ? index - *cursor.index : index + 1);
    if (!subKey) return NoMoreItems;
    cursor = {index, subKey->second};
    const std::string& found = subKey->first;
    if (found.size() + 1 > nameSize) return MoreData;
    std::memcpy(name, found.c_str(), found.size() + 1);
    return Success;
  });
}

RegistryStatus RegistryStore::enumValue(KeyHandle key, uint32_t index, char* name,
                                        uint32_t* nameLength, uint32_t* type, uint8_t* data,
                                        uint32_t* dataSize) {
  return guarded([&] {
    OpenKey* open = nullptr;
    if (const RegistryStatus status = lookUp(key, open)) return status;
    if (!name || !nameLength || (data && !dataSize)) return InvalidParameter;
    if (!(open->access & key_access::QueryValue)) return AccessDenied;
    RegistryDatabase& database = *open->database;
    if (!database.keyExists(open->key)) return KeyDeleted;
    ValueCursor& cursor = open->values;
    const bool onward = cursor.index && index > *cursor.index;
    const std::optional<ValueRow> value = database.valueAfter(
        open->key, onward ? cursor.valueId : 0, onward ? index - *cursor.index : index + 1);
    if (!value) return NoMoreItems;
    cursor = {index, value->id};
    if (type) *type = value->type;
    const uint32_t room = dataSize ? *dataSize : 0;
    if (dataSize) *dataSize = value->size;
    if (value->name.size() + 1 > *nameLength) return MoreData;
    std::memcpy(name, value->name.c_str(), value->name.size() + 1);
    *nameLength = static_cast<uint32_t>(value->name.size());
    if (!data) return Success;
    if (room < value->size) return MoreData;
    const std::string bytes = database.valueData(value->id);
    std::memcpy(data, bytes.data(), bytes.size());
    return Success;
  });
}

RegistryStatus RegistryStore::queryValue(KeyHandle key, const char* valueName, uint32_t* type,
                                         uint8_t* data, uint32_t* dataSize) {
  return guarded([&] {
    OpenKey* open = nullptr;
    if (const RegistryStatus status = lookUp(key, open)) return status;
    if (data && !dataSize) return InvalidParameter;
    if (!(open->access & key_access::QueryValue)) return AccessDenied;
    RegistryDatabase& database = *open->database;
    if (!database.keyExists(open->key)) return KeyDeleted;
    const auto value = database.findValue(open->key, valueNameOf(valueName));
    if (!value) return NotFound;
    const auto& [valueType, bytes] = *value;
    if (type) *type = valueType;
    if (!dataSize) return Success;
    const uint32_t room = *dataSize;
    *dataSize = static_cast<uint32_t>(bytes.size());
    if (!data) return Success;
    if (room < bytes.size()) return MoreData;
    std::memcpy(data, bytes.data(), bytes.size());
    return Success;
  });
}

RegistryStatus RegistryStore::setValue(KeyHandle key, const char* valueName, uint32_t type,
                                       const uint8_t* data, uint32_t dataSize) {
  const std::string_view name = valueNameOf(valueName);
  return change(key, valueArgumentStatus(name, data, dataSize), key_access::SetValue,
                [&](Transaction& transaction, RegistryDatabase& database, KeyId target) {
                  const std::string_view bytes(reinterpret_cast<const char*>(data),
                                               data ? dataSize : 0);
                  database.setValue(target, name, type, bytes);
                  transaction.commit();
                  return Success;
                });
}

RegistryStatus RegistryStore::deleteKey(KeyHandle key, const char* subKey) {
  std::vector<std::string_view> names;
  const RegistryStatus pathStatus = splitKeyPath(subKey, names);
  return change(key, pathStatus, NoRightNeeded,
                [&](Transaction& transaction, RegistryDatabase& database, KeyId base) {
                  const std::optional<KeyId> target = findExistingPath(database, base, names);
                  if (!target) return NotFound;
                  if (database.isRoot(*target) || database.hasSubKeys(*target)) {
                    return AccessDenied;
                  }
                  database.deleteKey(*target);
                  transaction.commit();
                  return Success;
                });
}

RegistryStatus RegistryStore::deleteValue(KeyHandle key, const char* valueName) {
  return change(key, Success, key_access::SetValue,
                [&](Transaction& transaction, RegistryDatabase& database, KeyId target) {
                  if (!database.deleteValue(target, valueNameOf(valueName))) return NotFound;
                  transaction.commit();
                  return Success;
                });
}

int RegistryStore::openHandleCount() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(handles_.size());
}

}  // namespace zarn
