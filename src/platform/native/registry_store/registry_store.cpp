#include "platform/native/registry_store/registry_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/narrow_text.h"
#include "platform/native/registry_folder.h"
#include "platform/root_keys.h"
#include "zarnutils/store_location.h"

namespace zarn {

// Where the store lives.

namespace {

std::filesystem::path environmentPath(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeDirectory() {
  std::filesystem::path home = environmentPath("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
  }
  return home;
}

}  // namespace

RegistryLocation RegistryLocation::fromEnvironment() {
  if (std::optional<std::filesystem::path> chosen = registryDirectoryChosenInCode()) {
    return inDirectory(*chosen);
  }
  if (const char* chosen = std::getenv(std::string(registryDirVariable).c_str())) {
    if (*chosen == '\0') {
      throw std::invalid_argument(std::string(registryDirVariable) +
                                  " is set but empty: name a folder, or unset it for the default "
                                  "stores");
    }
    return inDirectory(chosen);
  }
  std::filesystem::path data = environmentPath(userDataHomeVariable);
  if (data.empty()) data = homeDirectory() / ".local" / "share";
  return {data / userStoreFolderName, machineStoreFolder};
}

RegistryLocation RegistryLocation::inDirectory(const std::filesystem::path& directory) {
  return {directory, directory};
}

std::filesystem::path RegistryLocation::userFile() const {
  return userDirectory / userStoreFileName;
}

std::filesystem::path RegistryLocation::machineFile() const {
  return machineDirectory / machineStoreFileName;
}

// The store.

namespace {

using namespace registry_status;

constexpr uint32_t AllAccess = 0xF003F;
// Creating and deleting keys ignore the rights of the handle they start from.
constexpr uint32_t NoRightNeeded = 0;
constexpr size_t MaxKeyNameLength = 255;
constexpr size_t MaxValueNameLength = 16383;
constexpr size_t MaxKeyDepth = 512;
constexpr KeyHandle FirstHandle = 0x1000;
constexpr KeyHandle HandleStep = 4;

// HKEY_CURRENT_USER lives in the user file, every other root that exists in
// the machine file.
bool inUserStore(RootKeyValue root) { return root == root_key::CurrentUser; }

// The root a handle names in the store; null for a root that does not exist.
const RootKey* findRoot(KeyHandle handle) {
  for (const RootKey& root : rootKeys) {
    if (root.exists && rootKeyHandle(root.value) == handle) return &root;
  }
  return nullptr;
}

std::vector<std::string> rootNames(bool user) {
  std::vector<std::string> names;
  for (const RootKey& root : rootKeys) {
    if (root.exists && inUserStore(root.value) == user) names.emplace_back(root.longName);
  }
  return names;
}

// Whether a narrow name is longer than limit characters. UTF-8 takes at
// least one byte for each UTF-16 unit, so a name of at most limit bytes,
// which most are, needs no conversion to tell.
bool longerThan(std::string_view narrow, size_t limit) {
  return narrow.size() > limit && fromNarrow(narrow).size() > limit;
}

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

// Splits a key path at its backslashes into names, which it empties first.
// Empty names, from a trailing or a doubled backslash, are skipped; a
// leading backslash is refused.
RegistryStatus splitKeyPath(const char* path, std::vector<std::string_view>& names) {
  const std::string_view text = path ? path : "";
  if (!text.empty() && text.front() == '\\') return BadPathName;
  names.clear();
  // Room for the names of most paths in one allocation.
  names.reserve(8);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\\', start), text.size());
    const std::string_view name = text.substr(start, end - start);
    if (longerThan(name, MaxKeyNameLength)) return InvalidParameter;
    if (!name.empty()) names.push_back(name);
    start = end + 1;
  }
  return names.size() > MaxKeyDepth ? InvalidParameter : Success;
}

bool handleBefore(const std::pair<KeyHandle, size_t>& entry, KeyHandle handle) {
  return entry.first < handle;
}

std::string_view valueNameOf(const char* valueName) { return valueName ? valueName : ""; }

RegistryStatus valueArgumentStatus(std::string_view name, const uint8_t* data, uint32_t dataSize) {
  if (longerThan(name, MaxValueNameLength)) return InvalidParameter;
  if (!data && dataSize) return NoAccess;
  return Success;
}

bool isTextType(uint32_t type) {
  return type == value_type::Text || type == value_type::ExpandText ||
         type == value_type::MultiText;
}

// Copies a value's bytes into a buffer of room bytes that holds them. Text
// stored without its final NUL gets one after it when there is room, as the
// platform's narrow reads add it; the size reported stays the stored one.
void copyData(uint32_t valueType, std::string_view bytes, uint8_t* data, uint32_t room) {
  std::memcpy(data, bytes.data(), bytes.size());
  if (isTextType(valueType) && !bytes.empty() && bytes.back() != '\0' && room > bytes.size()) {
    data[bytes.size()] = 0;
  }
}

// What RegQueryValueExA hands back of a value: its type, its size, and its
// bytes when they fit. The room is read before the type is written, as the
// platform does, for callers that pass one variable for both.
RegistryStatus placeValue(uint32_t valueType, std::string_view bytes, uint32_t* type, uint8_t* data,
                          uint32_t* dataSize) {
  const uint32_t room = dataSize ? *dataSize : 0;
  if (type) *type = valueType;
  if (!dataSize) return Success;
  *dataSize = static_cast<uint32_t>(bytes.size());
  if (!data) return Success;
  if (room < bytes.size()) return MoreData;
  copyData(valueType, bytes, data, room);
  return Success;
}

// The platform resolves a predefined root before it touches the caller's
// result: a base of 0, or a root that does not exist, leaves it as it was.
bool clearsResultOnFailure(KeyHandle base) {
  const bool predefined = base == 0 || base >= rootKeyHandle(root_key::ClassesRoot);
  return !predefined || findRoot(base);
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
  RegistryStatus status = Success;
  try {
    dropStaleCopies();
    status = operation();
  } catch (const SqliteError& error) {
    status = statusOf(error);
  } catch (const std::bad_alloc&) {
    // Passed on, for the caller to fail its call with out of memory rather
    // than take it for a status of the store.
    releaseIdleSnapshots();
    throw;
  } catch (const std::exception&) {
    status = RegistryIoFailed;
  }
  try {
    releaseIdleSnapshots();
  } catch (const SqliteError& error) {
    if (status == Success) status = statusOf(error);
  }
  return status;
}

size_t& RegistryStore::handlesInto(const RegistryDatabase* database) {
  return database == user_.get() ? handlesIntoUser_ : handlesIntoMachine_;
}

void RegistryStore::releaseIdleSnapshots() {
  if (user_ && !handlesIntoUser_) user_->releaseSnapshot();
  if (machine_ && !handlesIntoMachine_) machine_->releaseSnapshot();
}

void RegistryStore::dropStaleCopies() {
  const auto dropIfStale = [&](std::unique_ptr<RegistryDatabase>& owner, size_t handlesInto) {
    RegistryDatabase* database = owner.get();
    if (!database || handlesInto || !database->isStaleCopy()) return;
    // Read anew once nothing is open in it, so that a copy does not fall
    // behind the store; the roots find the new one by themselves.
    std::erase_if(roots_, [&](const auto& root) { return root.second.database == database; });
    owner.reset();
  };
  dropIfStale(user_, handlesIntoUser_);
  dropIfStale(machine_, handlesIntoMachine_);
}

RegistryStatus RegistryStore::readKey(OpenKey& open) {
  RegistryDatabase& database = *open.database;
  database.readInSnapshot();
  if (open.isRoot || open.seenIn == database.snapshot()) return Success;
  if (!database.keyExists(open.key)) return KeyDeleted;
  open.seenIn = database.snapshot();
  return Success;
}

template <typename Settle, typename Work>
RegistryStatus RegistryStore::change(KeyHandle handle, RegistryStatus argumentStatus,
                                     uint32_t requiredAccess, Settle settle, Work work) {
  return guarded([&] {
    OpenKey* open = nullptr;
    if (const RegistryStatus status = lookUp(handle, open)) return status;
    if (argumentStatus) return argumentStatus;
    if ((open->access & requiredAccess) != requiredAccess) return AccessDenied;
    RegistryDatabase& database = *open->database;
    bringOntoDisk(database, &RegistryDatabase::make);
    database.checkUsable();
    if (!database.writable()) return AccessDenied;
    if (const RegistryStatus status = groupStatus(database)) return status;
    if (const RegistryStatus status = readKey(*open)) return status;
    if (const std::optional<RegistryStatus> settled = settle(*open)) {
      return *settled;
    }
    const bool seenInSnapshot = open->isRoot || open->seenIn == database.snapshot();
    if (const RegistryStatus status = joinGroup(database)) return status;
    Transaction transaction = database.beginChange(grouping_);
    // Checked again inside the transaction, so that no other process can
    // delete the key between the check and the change, unless the snapshot
    // that saw it is known to be the state the transaction starts from.
    const bool stillSeen = seenInSnapshot && !database.changedByOthers();
    if (!stillSeen && !database.keyExists(open->key)) return KeyDeleted;
    return work(transaction, database, open->key);
  });
}

RegistryStatus RegistryStore::joinGroup(RegistryDatabase& database) {
  if (!grouping_ || groupTransactions_.count(&database)) return groupStatus(database);
  groupTransactions_.emplace(&database, database.beginChangeGroup());
  return Success;
}

RegistryStatus RegistryStore::groupStatus(RegistryDatabase& database) {
  if (!grouping_ || !groupTransactions_.count(&database)) return Success;
  // SQLite rolls a whole transaction back on some failures (a full disk, an
  // I/O error, a trigger raising ROLLBACK); changes after that must not be
  // committed one by one, nor be told that their key is gone. A snapshot
  // begun since would hide that.
  database.releaseSnapshot();
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
  for (const auto& [database, transaction] : transactions) database->endChangeGroup();
  if (!commit) return Success;
  // A file whose part SQLite already rolled back fails the whole group
  // before any other file commits its part.
  for (const auto& [database, transaction] : transactions) {
    if (sqlite3_get_autocommit(database->connection())) return RegistryIoFailed;
  }
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
    // The user store and its folder are private to their user; a folder
    // holding the machine store must stay open to everyone who reads it.
    const bool machineFolder = !user || location_.userDirectory == location_.machineDirectory;
    database = std::make_unique<RegistryDatabase>(file, user ? 0600 : 0644,
                                                  machineFolder ? 0755 : 0700, rootNames(user));
  }
  return *database;
}

void RegistryStore::bringOntoDisk(RegistryDatabase& database, bool (RegistryDatabase::*step)()) {
  if (database.present()) return;
  const std::map<std::string, KeyId> absentRoots = database.roots();
  if (!(database.*step)()) return;
  // Only roots exist in an absent store, so every handle into it names one.
  const auto follow = [&](OpenKey& open) {
    if (open.database != &database) return;
    for (const auto& [name, id] : absentRoots) {
      if (open.key != id) continue;
      open = newOpenKey(database, database.rootKey(name), open.access, open.isRoot);
      return;
    }
  };
  for (const auto& [handle, slot] : handles_) follow(slots_[slot]);
  for (auto& [handle, open] : roots_) follow(open);
}

std::vector<std::pair<KeyHandle, size_t>>::iterator RegistryStore::findHandle(KeyHandle handle) {
  const auto found = std::lower_bound(handles_.begin(), handles_.end(), handle, handleBefore);
  return found != handles_.end() && found->first == handle ? found : handles_.end();
}

RegistryStatus RegistryStore::lookUp(KeyHandle handle, OpenKey*& openKey) {
  if (const auto found = findHandle(handle); found != handles_.end()) {
    openKey = &slots_[found->second];
    bringOntoDisk(*openKey->database, &RegistryDatabase::openIfMade);
    return Success;
  }
  const RootKey* root = findRoot(handle);
  if (!root) return InvalidHandle;
  auto found = roots_.find(handle);
  if (found == roots_.end()) {
    RegistryDatabase& rootDatabase = database(inUserStore(root->value));
    found = roots_
                .emplace(handle,
                         newOpenKey(rootDatabase, rootDatabase.rootKey(std::string(root->longName)),
                                    AllAccess, true))
                .first;
  }
  openKey = &found->second;
  bringOntoDisk(*openKey->database, &RegistryDatabase::openIfMade);
  return Success;
}

void RegistryStore::remember(OpenKey& open, std::string_view name, uint32_t type,
                             std::string data) {
  if (data.size() > carriedValueSize) return;
  // Filled in place, keeping the name's room; recalled only once complete.
  RecentValue& recent = open.recentValue;
  recent.readIn.reset();
  recent.name.assign(name);
  recent.type = type;
  recent.data = std::move(data);
  recent.readIn = open.database->snapshot();
}

const RegistryStore::RecentValue* RegistryStore::recall(const OpenKey& open,
                                                        std::string_view name) {
  const RecentValue& recent = open.recentValue;
  const bool current = recent.readIn == open.database->snapshot() && recent.name == name;
  return current ? &recent : nullptr;
}

RegistryStore::OpenKey RegistryStore::newOpenKey(RegistryDatabase& database, KeyId key,
                                                 uint32_t access, bool isRoot) {
  OpenKey open{&database, key, access, isRoot, std::nullopt, {}, {}, {}};
  open.subKeys.walker = open.values.walker = ++lastWalker_;
  return open;
}

KeyHandle RegistryStore::addHandle(RegistryDatabase& database, KeyId key, uint32_t access) {
  do {
    lastHandle_ = lastHandle_ < FirstHandle || lastHandle_ >= root_key::ClassesRoot - HandleStep
                      ? FirstHandle
                      : lastHandle_ + HandleStep;
  } while (findHandle(lastHandle_) != handles_.end());
  OpenKey open = newOpenKey(database, key, access, false);
  // Found in this snapshot by whoever asks for the handle.
  open.seenIn = database.snapshot();
  if (freeSlots_.empty()) {
    // Room for every slot to be free, so that closing never allocates.
    if (freeSlots_.capacity() <= slots_.size()) freeSlots_.reserve(2 * (slots_.size() + 1));
    slots_.emplace_back();
    freeSlots_.push_back(slots_.size() - 1);
  }
  const size_t slot = freeSlots_.back();
  handles_.insert(std::lower_bound(handles_.begin(), handles_.end(), lastHandle_, handleBefore),
                  {lastHandle_, slot});
  freeSlots_.pop_back();
  slots_[slot] = std::move(open);
  ++handlesInto(&database);
  return lastHandle_;
}

RegistryStatus RegistryStore::openKey(KeyHandle root, const char* subKey, uint32_t access,
                                      KeyHandle* key) {
  if (!key) return InvalidParameter;
  const RegistryStatus outcome = guarded([&] {
    OpenKey* base = nullptr;
    if (const RegistryStatus status = lookUp(root, base)) return status;
    // HKEY_CLASSES_ROOT takes a path with one leading backslash as without
    // it (and "\\" as the root, though in a handle of its own).
    const char* path = subKey;
    if (root == rootKeyHandle(root_key::ClassesRoot) && path && *path == '\\') ++path;
    std::vector<std::string_view>& names = openedPath_;
    if (const RegistryStatus status = splitKeyPath(path, names)) return status;
    if (const RegistryStatus status = readKey(*base)) return status;
    if (base->isRoot && (!subKey || !*subKey)) {
      *key = root;
      return Success;
    }
    RegistryDatabase& database = *base->database;
    const std::optional<KeyId> found = findExistingPath(database, base->key, names);
    if (!found) return NotFound;
    *key = addHandle(database, *found, access);
    return Success;
  });
  if (outcome && clearsResultOnFailure(root)) *key = 0;
  return outcome;
}

RegistryStatus RegistryStore::createKey(KeyHandle root, const char* subKey, uint32_t access,
                                        KeyHandle* key, uint32_t* disposition, uint32_t options) {
  if (!key) return BadKey;
  const bool makesVolatile = (options & VolatileKeyOption) != 0;
  std::vector<std::string_view> names;
  const RegistryStatus pathStatus = splitKeyPath(subKey, names);
  const auto opened = [&](KeyHandle handle, bool created) {
    *key = handle;
    if (disposition) *disposition = created ? 1 : 2;
    return Success;
  };
  const RegistryStatus status = change(
      root, pathStatus, NoRightNeeded,
      [&](OpenKey& base) -> std::optional<RegistryStatus> {
        const std::optional<KeyId> existing = findExistingPath(*base.database, base.key, names);
        if (!existing) return std::nullopt;
        return opened(addHandle(*base.database, *existing, access), false);
      },
      [&](Transaction& transaction, RegistryDatabase& database, KeyId base) {
        KeyId current = base;
        bool created = false;
        for (const std::string_view name : names) {
          if (const std::optional<KeyId> child = database.findSubKey(current, name)) {
            current = *child;
            continue;
          }
          // Only the first key made can have a volatile parent: the rest are
          // made under it, alike.
          if (!created && !makesVolatile && database.isVolatile(current)) {
            return ChildMustBeVolatile;
          }
          current = makesVolatile ? database.insertVolatileSubKey(current, name)
                                  : database.insertSubKey(current, name);
          created = true;
        }
        // The handle is made before the commit, so that running out of
        // memory for it cannot leave a key made by a call that failed.
        const KeyHandle handle = addHandle(database, current, access);
        try {
          transaction.commit();
        } catch (...) {
          removeHandle(handle);
          throw;
        }
        return opened(handle, created);
      });
  if (status && clearsResultOnFailure(root)) *key = 0;
  return status;
}

void RegistryStore::removeHandle(KeyHandle key) {
  const auto found = findHandle(key);
  --handlesInto(slots_[found->second].database);
  freeSlots_.push_back(found->second);
  handles_.erase(found);
}

RegistryStatus RegistryStore::closeKey(KeyHandle key) {
  return guarded([&] {
    if (findHandle(key) != handles_.end()) {
      removeHandle(key);
      return Success;
    }
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
    if (const RegistryStatus status = readKey(*open)) return status;
    const auto subKey = open->database->subKeyAt(open->subKeys, open->key, index);
    if (!subKey) return NoMoreItems;
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
    if (const RegistryStatus status = readKey(*open)) return status;
    RegistryDatabase& database = *open->database;
    const std::optional<ValueRow> value = database.valueAt(open->values, open->key, index);
    if (!value) return NoMoreItems;
    if (value->data) remember(*open, value->name, value->type, *value->data);
    const uint32_t room = dataSize ? *dataSize : 0;
    if (type) *type = value->type;
    if (dataSize) *dataSize = value->size;
    // Data that does not fit leaves the name alone; a name that does not
    // fit still lets the data through.
    if (data && room < value->size) return MoreData;
    if (data) {
      copyData(value->type, value->data ? *value->data : database.valueData(value->id), data, room);
    }
    if (value->name.size() + 1 > *nameLength) return MoreData;
    std::memcpy(name, value->name.c_str(), value->name.size() + 1);
    *nameLength = static_cast<uint32_t>(value->name.size());
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
    if (const RegistryStatus status = readKey(*open)) return status;
    const std::string_view name = valueNameOf(valueName);
    if (const RecentValue* recent = recall(*open, name)) {
      return placeValue(recent->type, recent->data, type, data, dataSize);
    }
    auto found = open->database->findValue(open->key, name);
    if (!found) {
      // A size probe learns there is nothing; a read keeps its buffer's size.
      if (dataSize && !data) *dataSize = 0;
      return NotFound;
    }
    const RegistryStatus status = placeValue(found->first, found->second, type, data, dataSize);
    remember(*open, name, found->first, std::move(found->second));
    return status;
  });
}

RegistryStatus RegistryStore::setValue(KeyHandle key, const char* valueName, uint32_t type,
                                       const uint8_t* data, uint32_t dataSize) {
  const std::string_view name = valueNameOf(valueName);
  const std::string_view bytes(reinterpret_cast<const char*>(data), data ? dataSize : 0);
  return change(
      key, valueArgumentStatus(name, data, dataSize), key_access::SetValue,
      [&](OpenKey& open) -> std::optional<RegistryStatus> {
        // Only a value just read is known without a lookup; the change
        // itself finds out about any other.
        const RecentValue* recent = recall(open, name);
        if (recent && recent->type == type && recent->data == bytes) return Success;
        return std::nullopt;
      },
      [&](Transaction& transaction, RegistryDatabase& database, KeyId target) {
        // Nothing to commit when the value already held this.
        if (database.setValue(target, name, type, bytes)) transaction.commit();
        return Success;
      });
}

RegistryStatus RegistryStore::deleteKey(KeyHandle key, const char* subKey) {
  // The key itself is named by "", never by a missing name.
  if (!subKey) return InvalidParameter;
  std::vector<std::string_view> names;
  const RegistryStatus pathStatus = splitKeyPath(subKey, names);
  // Why the key cannot go, or nothing when it can.
  const auto refusal = [&](RegistryDatabase& database, KeyId base,
                           std::optional<KeyId>& target) -> std::optional<RegistryStatus> {
    target = findExistingPath(database, base, names);
    if (!target) return NotFound;
    if (database.isRoot(*target) || database.hasSubKeys(*target)) return AccessDenied;
    return std::nullopt;
  };
  return change(
      key, pathStatus, NoRightNeeded,
      [&](OpenKey& base) {
        std::optional<KeyId> target;
        return refusal(*base.database, base.key, target);
      },
      [&](Transaction& transaction, RegistryDatabase& database, KeyId base) {
        std::optional<KeyId> target;
        if (const std::optional<RegistryStatus> refused = refusal(database, base, target)) {
          return *refused;
        }
        database.deleteKey(*target);
        transaction.commit();
        return Success;
      });
}

RegistryStatus RegistryStore::deleteValue(KeyHandle key, const char* valueName) {
  const std::string_view name = valueNameOf(valueName);
  return change(
      key, Success, key_access::SetValue,
      [&](OpenKey& open) -> std::optional<RegistryStatus> {
        if (!open.database->hasValue(open.key, name)) return NotFound;
        return std::nullopt;
      },
      [&](Transaction& transaction, RegistryDatabase& database, KeyId target) {
        if (!database.deleteValue(target, name)) return NotFound;
        transaction.commit();
        return Success;
      });
}

int RegistryStore::committedChangeCount() {
  std::lock_guard lock(mutex_);
  int count = 0;
  for (const RegistryDatabase* database : {user_.get(), machine_.get()}) {
    if (database) count += database->committedChanges();
  }
  return count;
}

std::filesystem::path RegistryStore::fileOf(RootKeyValue root) const {
  return inUserStore(root) ? location_.userFile() : location_.machineFile();
}

uint64_t RegistryStore::changeVersion() {
  std::lock_guard lock(mutex_);
  uint64_t version = 0;
  for (RegistryDatabase* database : {user_.get(), machine_.get()}) {
    if (!database || !database->present()) continue;
    try {
      database->releaseSnapshot();
      version += static_cast<uint64_t>(database->dataVersion() + database->committedChanges());
    } catch (const SqliteError&) {
      // A file that cannot be read changes nothing that could be seen.
    }
  }
  return version;
}

int RegistryStore::openHandleCount() {
  std::lock_guard lock(mutex_);
  return static_cast<int>(handles_.size());
}

}  // namespace zarn
