#include "platform/native/registry_store/registry_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/narrow_text.h"

namespace zarn {

std::string foldName(std::string_view narrowName) {
  const Text folded = upperCase(fromNarrow(narrowName));
  std::string bytes;
  bytes.reserve(folded.size() * 2);
  for (const char16_t unit : folded) {
    bytes.push_back(static_cast<char>(unit >> 8));
    bytes.push_back(static_cast<char>(unit & 0xFF));
  }
  return bytes;
}

struct RegistryDatabase::Statements {
  explicit Statements(sqlite3* db)
      : keyExists(db, "SELECT 1 FROM keys WHERE id = ?1"),
        findSubKey(db, "SELECT id FROM keys WHERE parent = ?1 AND folded_name = ?2"),
        insertSubKey(db, "INSERT INTO keys(parent, name, folded_name) VALUES(?1, ?2, ?3)"),
        hasSubKeys(db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"),
        deleteKey(db, "DELETE FROM keys WHERE id = ?1"),
        deleteKeyValues(db, "DELETE FROM key_values WHERE key = ?1"),
        subKeysAfter(db,
                     "SELECT name, folded_name FROM keys WHERE parent = ?1 AND folded_name > ?2 "
                     "ORDER BY folded_name"),
        valuesAfter(db,
                    "SELECT id, name, type, length(data) FROM key_values WHERE key = ?1 AND id > ?2 "
                    "ORDER BY id"),
        valueData(db, "SELECT data FROM key_values WHERE id = ?1"),
        findValue(db, "SELECT type, data FROM key_values WHERE key = ?1 AND folded_name = ?2"),
        setValue(db,
                 "INSERT INTO key_values(key, name, folded_name, type, data) "
                 "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded_name) "
                 "DO UPDATE SET type = excluded.type, data = excluded.data"),
        deleteValue(db, "DELETE FROM key_values WHERE key = ?1 AND folded_name = ?2") {}

  CachedStatement keyExists;
  CachedStatement findSubKey;
  CachedStatement insertSubKey;
  CachedStatement hasSubKeys;
  CachedStatement deleteKey;
  CachedStatement deleteKeyValues;
  CachedStatement subKeysAfter;
  CachedStatement valuesAfter;
  CachedStatement valueData;
  CachedStatement findValue;
  CachedStatement setValue;
  CachedStatement deleteValue;
};

RegistryDatabase::RegistryDatabase(const std::filesystem::path& file, mode_t createMode,
                                   const std::vector<std::string>& rootNames) {
  if (!openFile(file, createMode)) {
    openEmpty(rootNames);
    return;
  }
  if (writable_) {
    createSchema(rootNames);
    prepare(rootNames);
    return;
  }
  try {
    prepare(rootNames);
  } catch (const SqliteError&) {
    // A read-only file without our schema holds nothing we could read.
    close();
    openEmpty(rootNames);
  }
}

RegistryDatabase::~RegistryDatabase() { close(); }

bool RegistryDatabase::openFile(const std::filesystem::path& file, mode_t createMode) {
  // SQLite would create the file with its own default mode less the umask;
  // the store decides who may read it. Its -wal and -shm files copy the mode.
  const int descriptor = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode);
  if (descriptor >= 0) {
    fchmod(descriptor, createMode);
    ::close(descriptor);
  }
  // SQLite falls back to read-only by itself when the file may not be written.
  const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(file.c_str(), &connection_, flags, nullptr) != SQLITE_OK) {
    close();
    return false;
  }
  writable_ = sqlite3_db_readonly(connection_, "main") == 0;
  sqlite3_busy_timeout(connection_, 30000);
  if (writable_) {
    // Keeping the -wal and -shm files after the last writer closes lets
    // readers that may not create files in the folder open the store.
    int persist = 1;
    sqlite3_file_control(connection_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    executeSql(connection_, "PRAGMA journal_mode = WAL");
  }
  // Every commit reaches the disk before the operation that made it returns.
  executeSql(connection_, "PRAGMA synchronous = FULL");
  return true;
}

void RegistryDatabase::openEmpty(const std::vector<std::string>& rootNames) {
  checkSqlite(connection_, sqlite3_open_v2(":memory:", &connection_,
                                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr));
  createSchema(rootNames);
  prepare(rootNames);
  writable_ = false;
}

void RegistryDatabase::createSchema(const std::vector<std::string>& rootNames) {
  Transaction transaction(connection_);
  executeSql(connection_,
             "CREATE TABLE IF NOT EXISTS keys("
             "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
             "  parent INTEGER NOT NULL,"
             "  name TEXT NOT NULL,"
             "  folded_name BLOB NOT NULL,"
             "  UNIQUE(parent, folded_name));"
             "CREATE TABLE IF NOT EXISTS key_values("
             "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
             "  key INTEGER NOT NULL,"
             "  name TEXT NOT NULL,"
             "  folded_name BLOB NOT NULL,"
             "  type INTEGER NOT NULL,"
             "  data BLOB NOT NULL,"
             "  UNIQUE(key, folded_name));"
             "CREATE INDEX IF NOT EXISTS key_values_in_creation_order ON key_values(key, id);");
  CachedStatement insertRoot(connection_,
                             "INSERT OR IGNORE INTO keys(parent, name, folded_name) "
                             "VALUES(0, ?1, ?2)");
  for (const std::string& root : rootNames) {
    Query(insertRoot).bindText(root).bindBlob(foldName(root)).step();
  }
  transaction.commit();
}

void RegistryDatabase::prepare(const std::vector<std::string>& rootNames) {
  statements_ = std::make_unique<Statements>(connection_);
  for (const std::string& root : rootNames) {
    const std::optional<KeyId> key = findSubKey(0, root);
    if (!key) throw SqliteError(SQLITE_CORRUPT, "registry root missing: " + root);
    roots_[root] = *key;
  }
}

void RegistryDatabase::close() {
  statements_.reset();
  roots_.clear();
  sqlite3_close(connection_);
  connection_ = nullptr;
}

bool RegistryDatabase::isRoot(KeyId key) const {
  for (const auto& [name, id] : roots_) {
    if (id == key) return true;
  }
  return false;
}

bool RegistryDatabase::keyExists(KeyId key) {
  return Query(statements_->keyExists).bind(key).step();
}

std::optional<KeyId> RegistryDatabase::findSubKey(KeyId parent, std::string_view name) {
  Query query(statements_->findSubKey);
  if (!query.bind(parent).bindBlob(foldName(name)).step()) return std::nullopt;
  return query.integer(0);
}

KeyId RegistryDatabase::insertSubKey(KeyId parent, std::string_view name) {
  Query(statements_->insertSubKey).bind(parent).bindText(name).bindBlob(foldName(name)).step();
  return sqlite3_last_insert_rowid(connection_);
}

bool RegistryDatabase::hasSubKeys(KeyId key) {
  return Query(statements_->hasSubKeys).bind(key).step();
}

void RegistryDatabase::deleteKey(KeyId key) {
  Query(statements_->deleteKeyValues).bind(key).step();
  Query(statements_->deleteKey).bind(key).step();
}

std::optional<std::pair<std::string, std::string>> RegistryDatabase::subKeyAfter(
    KeyId parent, const std::string& after, uint32_t steps) {
  Query query(statements_->subKeysAfter);
  query.bind(parent).bindBlob(after);
  for (uint32_t step = 0; step < steps; ++step) {
    if (!query.step()) return std::nullopt;
  }
  return std::make_pair(query.bytes(0), query.bytes(1));
}

std::optional<ValueRow> RegistryDatabase::valueAfter(KeyId key, int64_t after, uint32_t steps) {
  Query query(statements_->valuesAfter);
  query.bind(key).bind(after);
  for (uint32_t step = 0; step < steps; ++step) {
    if (!query.step()) return std::nullopt;
  }
  return ValueRow{query.integer(0), query.bytes(1), static_cast<uint32_t>(query.integer(2)),
                  static_cast<uint32_t>(query.integer(3))};
}

std::string RegistryDatabase::valueData(int64_t valueId) {
  Query query(statements_->valueData);
  return query.bind(valueId).step() ? query.bytes(0) : std::string();
}

std::optional<std::pair<uint32_t, std::string>> RegistryDatabase::findValue(
    KeyId key, std::string_view name) {
  Query query(statements_->findValue);
  if (!query.bind(key).bindBlob(foldName(name)).step()) return std::nullopt;
  return std::make_pair(static_cast<uint32_t>(query.integer(0)), query.bytes(1));
}

void RegistryDatabase::setValue(KeyId key, std::string_view name, uint32_t type,
                                std::string_view data) {
  Query(statements_->setValue)
      .bind(key)
      .bindText(name)
      .bindBlob(foldName(name))
      .bind(type)
      .bindBlob(data)
      .step();
}

bool RegistryDatabase::deleteValue(KeyId key, std::string_view name) {
  Query(statements_->deleteValue).bind(key).bindBlob(foldName(name)).step();
  return sqlite3_changes(connection_) > 0;
}

}  // namespace zarn
