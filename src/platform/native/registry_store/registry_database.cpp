#include "platform/native/registry_store/registry_database.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <thread>

#include "platform/narrow_text.h"

namespace zarn {

// The thin layer over SQLite's C interface.

SqliteError::SqliteError(int code, const std::string& message)
    : std::runtime_error(message), code_(code) {}

void checkSqlite(sqlite3* database, int result) {
  if (result != SQLITE_OK) throw SqliteError(result, sqlite3_errmsg(database));
}

void executeSql(sqlite3* database, const char* sql) {
  checkSqlite(database, sqlite3_exec(database, sql, nullptr, nullptr, nullptr));
}

CachedStatement::CachedStatement(sqlite3* database, const char* sql) {
  checkSqlite(database, sqlite3_prepare_v3(database, sql, -1, SQLITE_PREPARE_PERSISTENT,
                                           &statement_, nullptr));
}

CachedStatement::~CachedStatement() { sqlite3_finalize(statement_); }

Query::Query(const CachedStatement& statement) : statement_(statement.get()) {}

Query::~Query() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

Query& Query::bind(int64_t value) {
  checkSqlite(sqlite3_db_handle(statement_),
              sqlite3_bind_int64(statement_, nextParameter_++, value));
  return *this;
}

Query& Query::bindText(std::string_view text) {
  // A null pointer would bind NULL; an empty text must stay an empty text.
  checkSqlite(sqlite3_db_handle(statement_),
              sqlite3_bind_text(statement_, nextParameter_++, text.empty() ? "" : text.data(),
                                static_cast<int>(text.size()), SQLITE_STATIC));
  return *this;
}

Query& Query::bindBlob(std::string_view bytes) { return bindBlob(bytes, SQLITE_STATIC); }

Query& Query::bindBlobCopy(std::string_view bytes) { return bindBlob(bytes, SQLITE_TRANSIENT); }

Query& Query::bindBlob(std::string_view bytes, sqlite3_destructor_type lifetime) {
  const int parameter = nextParameter_++;
  const int result = bytes.empty() ? sqlite3_bind_zeroblob(statement_, parameter, 0)
                                   : sqlite3_bind_blob(statement_, parameter, bytes.data(),
                                                       static_cast<int>(bytes.size()), lifetime);
  checkSqlite(sqlite3_db_handle(statement_), result);
  return *this;
}

bool Query::step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  sqlite3* database = sqlite3_db_handle(statement_);
  throw SqliteError(result, sqlite3_errmsg(database));
}

int64_t Query::integer(int column) const { return sqlite3_column_int64(statement_, column); }

bool Query::isNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string Query::bytes(int column) const {
  const auto* data = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  const int size = sqlite3_column_bytes(statement_, column);
  return data ? std::string(data, static_cast<size_t>(size)) : std::string();
}

TransactionStatements::TransactionStatements(sqlite3* database)
    : begin(database, "BEGIN IMMEDIATE"),
      commit(database, "COMMIT"),
      rollback(database, "ROLLBACK"),
      savepoint(database, "SAVEPOINT change"),
      release(database, "RELEASE change"),
      rollbackToSavepoint(database, "ROLLBACK TO change") {}

Transaction::Transaction(TransactionStatements& statements, bool nested)
    : statements_(&statements), nested_(nested) {
  Query(nested_ ? statements_->savepoint : statements_->begin).step();
}

Transaction::Transaction(Transaction&& other) noexcept
    : statements_(other.statements_), nested_(other.nested_), open_(other.open_) {
  other.open_ = false;
}

Transaction::~Transaction() {
  if (!open_) return;
  // Errors are ignored: there is nothing left to undo them with.
  const auto run = [](const CachedStatement& statement) {
    sqlite3_step(statement.get());
    sqlite3_reset(statement.get());
  };
  if (nested_) {
    run(statements_->rollbackToSavepoint);
    run(statements_->release);
  } else {
    run(statements_->rollback);
  }
}

void Transaction::commit() {
  Query(nested_ ? statements_->release : statements_->commit).step();
  open_ = false;
}

namespace {

// An exclusive lock on a folder, which makes the processes that set up a
// store file in it take turns. It is a flock(2) lock on the folder itself,
// so it needs no file of its own and is released when its holder dies, and it
// is apart from the byte-range locks SQLite takes on the store's files.
class FolderLock {
 public:
  // Waits at most patience for the lock. A folder that cannot be opened, or
  // a lock another process holds for longer, leaves the lock untaken: the
  // work it guards must still be safe then, only no longer in turns.
  FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  // Polled rather than blocking, so that a lock held forever by someone else
  // costs a bounded wait.
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!(held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0)) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

// Makes folder and its missing parents with exactly mode: a folder that the
// umask left writable by others would let them rename or replace the store
// files in it. Folders that exist are left as their owner set them; one
// that cannot be made is left to the file's creation to report.
void makeFolders(const std::filesystem::path& folder, mode_t mode) {
  if (folder.empty() || folder == folder.root_path()) return;
  struct stat status {};
  if (::stat(folder.c_str(), &status) == 0) return;
  makeFolders(folder.parent_path(), mode);
  if (::mkdir(folder.c_str(), mode) == 0) ::chmod(folder.c_str(), mode);
}

}  // namespace

// The store's own rows.

namespace {

constexpr int busyTimeout = 30000;  // milliseconds
constexpr size_t maxKeptIds = 4096;

// Switching a new file to the write-ahead log needs the file to itself for a
// moment, and SQLite fails that at once instead of calling the busy handler;
// so processes opening a new store together wait here as the busy timeout
// would make them wait anywhere else.
void useWriteAheadLog(sqlite3* connection) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(busyTimeout);
  std::minstd_rand jitter(static_cast<unsigned>(::getpid()));
  for (;;) {
    const int result =
        sqlite3_exec(connection, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    const bool busy = (result & 0xFF) == SQLITE_BUSY || (result & 0xFF) == SQLITE_LOCKED;
    if (!busy || std::chrono::steady_clock::now() > deadline) {
      checkSqlite(connection, result);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + jitter() % 8));
  }
}

char16_t asciiUpperCase(char c) {
  return static_cast<char16_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

int countCommit(void* count) {
  ++*static_cast<int*>(count);
  return 0;
}

}  // namespace

std::string foldName(std::string_view narrowName) {
  // An ASCII name, which most are, folds byte for byte: upper-casing maps no
  // other character into ASCII or ASCII out of it.
  const bool ascii = std::all_of(narrowName.begin(), narrowName.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const Text folded = ascii ? Text() : upperCase(fromNarrow(narrowName));
  const size_t units = ascii ? narrowName.size() : folded.size();
  std::string bytes(units * 2, '\0');
  for (size_t i = 0; i < units; ++i) {
    const char16_t unit = ascii ? asciiUpperCase(narrowName[i]) : folded[i];
    bytes[2 * i] = static_cast<char>(unit >> 8);
    bytes[2 * i + 1] = static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

// Where a resumable enumeration was left: the walker and its last index.
using EnumerationPosition = std::pair<uint64_t, uint32_t>;

struct RegistryDatabase::Statements {
  explicit Statements(sqlite3* db)
      : transactions(db),
        dataVersion(db, "PRAGMA data_version"),
        keyExists(db, "SELECT 1 FROM keys WHERE id = ?1"),
        findSubKey(db, "SELECT id FROM keys WHERE parent = ?1 AND folded_name = ?2"),
        // Changes name the file's own table: a reader's view (see
        // forgetEarlierBoots) stands in for it only in reads.
        insertSubKey(db, "INSERT INTO main.keys(parent, name, folded_name) VALUES(?1, ?2, ?3)"),
        isVolatile(db, "SELECT 1 FROM keys WHERE id = ?1 AND volatile_boot IS NOT NULL"),
        hasSubKeys(db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1"),
        deleteKey(db, "DELETE FROM main.keys WHERE id = ?1"),
        deleteKeyValues(db, "DELETE FROM key_values WHERE key = ?1"),
        subKeysAfter(db,
                     "SELECT name, folded_name FROM keys WHERE parent = ?1 AND folded_name > ?2 "
                     "ORDER BY folded_name"),
        valuesAfter(db,
                    "SELECT id, name, type, length(data), CASE WHEN length(data) <= ?3 THEN data "
                    "END FROM key_values WHERE key = ?1 AND id > ?2 ORDER BY id"),
        valueData(db, "SELECT data FROM key_values WHERE id = ?1"),
        findValue(db, "SELECT type, data FROM key_values WHERE key = ?1 AND folded_name = ?2"),
        hasValue(db, "SELECT 1 FROM key_values WHERE key = ?1 AND folded_name = ?2"),
        setValue(db,
                 "INSERT INTO key_values(key, name, folded_name, type, data) "
                 "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(key, folded_name) "
                 "DO UPDATE SET type = excluded.type, data = excluded.data "
                 "WHERE key_values.type <> excluded.type OR key_values.data <> excluded.data"),
        deleteValue(db, "DELETE FROM key_values WHERE key = ?1 AND folded_name = ?2") {}

  TransactionStatements transactions;
  CachedStatement dataVersion;
  CachedStatement keyExists;
  CachedStatement findSubKey;
  CachedStatement insertSubKey;
  CachedStatement isVolatile;
  CachedStatement hasSubKeys;
  CachedStatement deleteKey;
  CachedStatement deleteKeyValues;
  ResumableQuery<EnumerationPosition> subKeysAfter;
  ResumableQuery<EnumerationPosition> valuesAfter;
  CachedStatement valueData;
  CachedStatement findValue;
  CachedStatement hasValue;
  CachedStatement setValue;
  CachedStatement deleteValue;
};

RegistryDatabase::RegistryDatabase(std::filesystem::path file, mode_t createMode, mode_t folderMode,
                                   std::vector<std::string> rootNames)
    : file_(std::move(file)),
      createMode_(createMode),
      folderMode_(folderMode),
      rootNames_(std::move(rootNames)) {
  // A constructor that throws gets no destructor: the connection is closed
  // here, or it would be lost (out of memory while preparing, say).
  try {
    if (!openStore(false) && !connection_) openAbsent();
  } catch (...) {
    close();
    throw;
  }
}

RegistryDatabase::~RegistryDatabase() { close(); }

bool RegistryDatabase::openIfMade() { return !present_ && openStore(false); }

bool RegistryDatabase::make() {
  // A file that is there but cannot be used is left as it is.
  if (present_ || failure_) return false;
  const std::filesystem::path folder = file_.parent_path();
  makeFolders(folder, folderMode_);
  const FolderLock turn(folder, std::chrono::milliseconds(busyTimeout));
  // SQLite would create the file with its own default mode less the umask;
  // the store decides who may read it. Its -wal and -shm files copy the mode.
  // No connection of this process has the file open (it did not exist), so
  // closing this descriptor drops none of SQLite's locks.
  const int descriptor = ::open(file_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, createMode_);
  if (descriptor >= 0) {
    ::fchmod(descriptor, createMode_);
    ::close(descriptor);
  }
  return openStore(true);
}

bool RegistryDatabase::openStore(bool setUp) {
  // A file that is missing, or still empty because another process is only
  // now making it, holds no store yet; not opening it keeps a read from
  // creating anything and from getting in the way of the one setting it up.
  struct stat status {};
  if (!setUp && ::stat(file_.c_str(), &status) != 0) {
    if (errno != ENOENT && errno != ENOTDIR) {
      return unusable(errno == EACCES ? SQLITE_PERM : SQLITE_CANTOPEN);
    }
    status.st_size = 0;
  }
  if (!setUp && status.st_size == 0) {
    if (failure_) openAbsent();
    return false;
  }
  close();
  try {
    // Without SQLITE_OPEN_CREATE: only make() creates the file, with its mode.
    // SQLite falls back to read-only by itself when the file may not be written.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    checkSqlite(connection_, sqlite3_open_v2(file_.c_str(), &connection_, flags, nullptr));
    writable_ = sqlite3_db_readonly(connection_, "main") == 0;
    // The last connection to close keeps the -wal and -shm files (the
    // store's rule on them is in registry_store.h).
    int persist = 1;
    sqlite3_file_control(connection_, "main", SQLITE_FCNTL_PERSIST_WAL, &persist);
    sqlite3_commit_hook(connection_, countCommit, &committedChanges_);
    sqlite3_busy_timeout(connection_, busyTimeout);
    // Every commit reaches the disk before the operation that made it returns.
    executeSql(connection_, "PRAGMA synchronous = FULL");
    if (setUp && writable_) setUpStore();
    if (hasSchema()) {
      prepare();
      present_ = true;
      return true;
    }
  } catch (const SqliteError& error) {
    if (::access(file_.c_str(), R_OK) != 0) {
      if (errno == ENOENT) {
        openAbsent();
        return false;
      }
      return unusable(errno == EACCES ? SQLITE_PERM : error.code());
    }
    // A reader that may not create the -wal or -shm file SQLite wants
    // beside a file it may read reads a copy instead.
    const int primary = error.code() & 0xFF;
    if (setUp || (primary != SQLITE_CANTOPEN && primary != SQLITE_READONLY) || !openPrivateCopy()) {
      return unusable(error.code());
    }
    return true;
  }
  openAbsent();
  return false;
}

bool RegistryDatabase::unusable(int code) {
  openAbsent();
  failure_ = code;
  return false;
}

void RegistryDatabase::checkUsable() const {
  if (failure_) throw SqliteError(failure_, "the registry store cannot be used: " + file_.string());
}

RegistryDatabase::FileState RegistryDatabase::fileState() const {
  FileState state;
  const auto of = [](const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::array<int64_t, 4>{-1, 0, 0, 0};
    return std::array<int64_t, 4>{static_cast<int64_t>(status.st_ino), status.st_size,
                                  status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
  };
  state.store = of(file_.string());
  state.log = of(file_.string() + "-wal");
  return state;
}

bool RegistryDatabase::isStaleCopy() const { return copiedFrom_ && fileState() != *copiedFrom_; }

namespace {

// A folder of this process's own, removed with everything in it.
class PrivateFolder {
 public:
  PrivateFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarnutils-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace

bool RegistryDatabase::openPrivateCopy() {
  std::error_code failed;
  // Copied while neither file changes, so that the copy is one committed
  // state: a writer that comes meanwhile changes one of them.
  for (int attempt = 0; attempt < 20; ++attempt) {
    const FileState before = fileState();
    PrivateFolder folder;
    if (folder.path().empty()) return false;
    const std::filesystem::path copy = folder.path() / "store";
    std::filesystem::copy_file(file_, copy, failed);
    if (failed) return false;
    if (before.log[0] != -1) {
      std::filesystem::copy_file(file_.string() + "-wal", copy.string() + "-wal", failed);
      if (failed) return false;
    }
    if (fileState() != before) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1 + attempt));
      continue;
    }
    // SQLite reads the copy's log into it; the bytes of the result are then
    // kept in memory, and the copy goes.
    sqlite3* reader = nullptr;
    sqlite3_int64 size = 0;
    unsigned char* bytes = nullptr;
    if (sqlite3_open_v2(copy.c_str(), &reader, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) == SQLITE_OK &&
        sqlite3_exec(reader, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) ==
            SQLITE_OK) {
      bytes = sqlite3_serialize(reader, "main", &size, 0);
    }
    sqlite3_close(reader);
    // Bytes 18 and 19 of the header say WAL; an image in memory has no log.
    if (!bytes || size < 100) {
      sqlite3_free(bytes);
      return false;
    }
    bytes[18] = bytes[19] = 1;
    close();
    sqlite3_open_v2(":memory:", &connection_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    const int loaded =
        sqlite3_deserialize(connection_, "main", bytes, size, size,
                            SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_READONLY);
    if (loaded != SQLITE_OK || !hasSchema()) return false;
    prepare();
    present_ = true;
    copiedFrom_ = before;
    return true;
  }
  return false;
}

void RegistryDatabase::setUpStore() {
  useWriteAheadLog(connection_);
  if (!hasSchema()) createSchema();
}

void RegistryDatabase::openAbsent() {
  close();
  checkSqlite(connection_, sqlite3_open_v2(":memory:", &connection_,
                                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr));
  createSchema();
  prepare();
}

// Both tables and the roots are made in one transaction, so a file that has
// the tables has everything.
bool RegistryDatabase::hasSchema() {
  CachedStatement tables(connection_,
                         "SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                         "AND name IN ('keys', 'key_values')");
  Query query(tables);
  return query.step() && query.integer(0) == 2;
}

void RegistryDatabase::createSchema() {
  TransactionStatements statements(connection_);
  Transaction transaction(statements);
  executeSql(connection_,
             "CREATE TABLE IF NOT EXISTS keys("
             "  id INTEGER PRIMARY KEY AUTOINCREMENT,"
             "  parent INTEGER NOT NULL,"
             "  name TEXT NOT NULL,"
             "  folded_name BLOB NOT NULL,"
             "  volatile_boot TEXT,"
             "  UNIQUE(parent, folded_name));"
             "CREATE INDEX IF NOT EXISTS volatile_keys ON keys(volatile_boot) "
             "  WHERE volatile_boot IS NOT NULL;"
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
  for (const std::string& root : rootNames_) {
    Query(insertRoot).bindText(root).bindBlob(foldName(root)).step();
  }
  transaction.commit();
}

namespace {

// Tells this boot of the machine from every other, for volatile keys; the
// empty text where the system tells none, and volatile keys then last.
const std::string& bootIdentifier() {
  static const std::string identifier = [] {
    std::string text;
    if (FILE* file = std::fopen("/proc/sys/kernel/random/boot_id", "re")) {
      char line[64] = {};
      if (std::fgets(line, sizeof line, file)) text = line;
      std::fclose(file);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
  }();
  return identifier;
}

// The keys made volatile in another boot, and every key below them.
constexpr const char* keysOfEarlierBoots =
    "WITH RECURSIVE gone(id) AS ("
    "  SELECT id FROM main.keys WHERE volatile_boot IS NOT NULL AND volatile_boot <> ?1"
    "  UNION SELECT main.keys.id FROM main.keys JOIN gone ON main.keys.parent = gone.id) ";

bool hasVolatileColumn(sqlite3* connection) {
  CachedStatement column(connection,
                         "SELECT 1 FROM pragma_table_info('keys', 'main') "
                         "WHERE name = 'volatile_boot'");
  return Query(column).step();
}

// text as an SQL literal, for a view, which takes no parameters.
std::string quotedText(const std::string& text) {
  char* quoted = sqlite3_mprintf("%Q", text.c_str());
  if (!quoted) throw std::bad_alloc();
  std::string literal(quoted);
  sqlite3_free(quoted);
  return literal;
}

bool hasKeysOfEarlierBoots(sqlite3* connection) {
  CachedStatement stale(connection,
                        "SELECT 1 FROM main.keys WHERE volatile_boot IS NOT NULL "
                        "AND volatile_boot <> ?1 LIMIT 1");
  return Query(stale).bindText(bootIdentifier()).step();
}

}  // namespace

void RegistryDatabase::forgetEarlierBoots() {
  const bool current = hasVolatileColumn(connection_);
  if (current && !hasKeysOfEarlierBoots(connection_)) return;
  if (!writable_) {
    // A reader that may not write the file sees it as a writer would leave
    // it, through a view of its own that stands in for the table; kept in
    // memory, as such a reader may have nowhere to write a temporary file.
    const std::string view =
        current ? "SELECT * FROM main.keys WHERE volatile_boot IS NULL OR volatile_boot = " +
                      quotedText(bootIdentifier())
                : "SELECT *, NULL AS volatile_boot FROM main.keys";
    executeSql(connection_,
               ("PRAGMA temp_store = MEMORY; CREATE TEMP VIEW keys AS " + view).c_str());
    return;
  }
  // Files made before keys could be volatile gain the column, and the keys
  // of earlier boots go, in one transaction that other openers wait for.
  TransactionStatements statements(connection_);
  Transaction transaction(statements);
  if (!hasVolatileColumn(connection_)) {
    executeSql(connection_,
               "ALTER TABLE main.keys ADD COLUMN volatile_boot TEXT;"
               "CREATE INDEX IF NOT EXISTS volatile_keys ON keys(volatile_boot) "
               "  WHERE volatile_boot IS NOT NULL;");
  }
  for (const char* removal : {"DELETE FROM main.key_values WHERE key IN gone",
                              "DELETE FROM main.keys WHERE id IN gone"}) {
    CachedStatement statement(connection_, (std::string(keysOfEarlierBoots) + removal).c_str());
    Query(statement).bindText(bootIdentifier()).step();
  }
  transaction.commit();
}

void RegistryDatabase::prepare() {
  forgetEarlierBoots();
  statements_ = std::make_unique<Statements>(connection_);
  for (const std::string& root : rootNames_) {
    const std::optional<KeyId> key = findSubKey(0, root);
    if (!key) throw SqliteError(SQLITE_CORRUPT, "registry root missing: " + root);
    roots_[root] = *key;
  }
}

void RegistryDatabase::close() {
  insertVolatileSubKey_.reset();
  forgetKeptIds();
  keptIdsVersion_.reset();
  changedByOthers_ = true;
  snapshotHolder_.reset();
  ++snapshot_;
  statements_.reset();
  roots_.clear();
  sqlite3_close(connection_);
  connection_ = nullptr;
  present_ = false;
  writable_ = false;
  failure_ = 0;
  copiedFrom_.reset();
}

void RegistryDatabase::readInSnapshot() {
  checkUsable();
  const auto now = std::chrono::steady_clock::now();
  if (snapshotHolder_ && now - snapshotBegan_ < maxSnapshotAge) return;
  releaseSnapshot();
  if (!sqlite3_get_autocommit(connection_)) return;
  // A statement stopped at its row holds its read transaction until it is
  // reset, and the statements run meanwhile read in that transaction: a
  // snapshot for the price of one small statement, with no BEGIN and COMMIT.
  snapshotHolder_.emplace(statements_->dataVersion);
  snapshotHolder_->step();
  snapshotBegan_ = now;
  ++snapshot_;
  noteDataVersion(snapshotHolder_->integer(0));
}

int64_t RegistryDatabase::dataVersion() {
  checkUsable();
  Query query(statements_->dataVersion);
  query.step();
  return query.integer(0);
}

void RegistryDatabase::releaseSnapshot() {
  if (!snapshotHolder_) return;
  stopEnumerations();
  snapshotHolder_.reset();
}

Transaction RegistryDatabase::beginChange(bool nested) {
  stopEnumerations();
  ++snapshot_;
  if (snapshotHolder_ && !nested) {
    // SQLite refuses to take the write lock from a snapshot that is no
    // longer the file's latest state, or while another writer holds it; the
    // transaction then begins afresh, waiting its turn.
    try {
      Transaction transaction(statements_->transactions);
      snapshotHolder_.reset();
      changedByOthers_ = false;
      return transaction;
    } catch (const SqliteError& error) {
      if ((error.code() & 0xFF) != SQLITE_BUSY) throw;
    }
  }
  releaseSnapshot();
  Transaction transaction(statements_->transactions, nested);
  if (!nested) checkKeptIdsAreCurrent();
  return transaction;
}

std::unique_ptr<Transaction> RegistryDatabase::beginChangeGroup() {
  return std::make_unique<Transaction>(beginChange(false));
}

void RegistryDatabase::endChangeGroup() {
  stopEnumerations();
  ++snapshot_;
  forgetKeptIds();
}

void RegistryDatabase::checkKeptIdsAreCurrent() {
  Query query(statements_->dataVersion);
  query.step();
  noteDataVersion(query.integer(0));
}

void RegistryDatabase::noteDataVersion(int64_t version) {
  changedByOthers_ = keptIdsVersion_ != version;
  if (changedByOthers_) forgetKeptIds();
  keptIdsVersion_ = version;
}

void RegistryDatabase::forgetKeptIds() {
  keptIds_.clear();
  keptIdCount_ = 0;
}

void RegistryDatabase::stopEnumerations() {
  statements_->subKeysAfter.stop();
  statements_->valuesAfter.stop();
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
  if (const auto children = keptIds_.find(parent); children != keptIds_.end()) {
    if (const auto kept = children->second.find(name); kept != children->second.end()) {
      return kept->second;
    }
  }
  Query query(statements_->findSubKey);
  if (!query.bind(parent).bindBlob(foldName(name)).step()) return std::nullopt;
  const KeyId found = query.integer(0);
  if (keptIdCount_ >= maxKeptIds) forgetKeptIds();
  keptIds_[parent].emplace(name, found);
  ++keptIdCount_;
  return found;
}

KeyId RegistryDatabase::insertSubKey(KeyId parent, std::string_view name) {
  Query(statements_->insertSubKey).bind(parent).bindText(name).bindBlob(foldName(name)).step();
  return sqlite3_last_insert_rowid(connection_);
}

KeyId RegistryDatabase::insertVolatileSubKey(KeyId parent, std::string_view name) {
  // Prepared at first use: a file that only a reader without its column
  // has open never needs it.
  if (!insertVolatileSubKey_) {
    insertVolatileSubKey_ = std::make_unique<CachedStatement>(
        connection_,
        "INSERT INTO main.keys(parent, name, folded_name, volatile_boot) VALUES(?1, ?2, ?3, ?4)");
  }
  Query(*insertVolatileSubKey_)
      .bind(parent)
      .bindText(name)
      .bindBlob(foldName(name))
      .bindText(bootIdentifier())
      .step();
  return sqlite3_last_insert_rowid(connection_);
}

bool RegistryDatabase::isVolatile(KeyId key) {
  return Query(statements_->isVolatile).bind(key).step();
}

bool RegistryDatabase::hasSubKeys(KeyId key) {
  return Query(statements_->hasSubKeys).bind(key).step();
}

void RegistryDatabase::deleteKey(KeyId key) {
  forgetKeptIds();
  Query(statements_->deleteKeyValues).bind(key).step();
  Query(statements_->deleteKey).bind(key).step();
}

namespace {

// Moves the cursor's query onto row number index, as subKeyAt and valueAt
// describe; seek binds a fresh query to start after the cursor's row (or,
// with no row, from the first).
template <typename Seek>
Query* stepTo(ResumableQuery<EnumerationPosition>& rows, EnumerationCursor& cursor, uint32_t index,
              Seek seek) {
  const bool onward = cursor.index && index > *cursor.index;
  Query* query = onward ? rows.resume({cursor.walker, *cursor.index}) : nullptr;
  if (!query) query = &seek(rows.restart(), onward);
  try {
    for (uint32_t step = onward ? *cursor.index + 1 : 0; step <= index; ++step) {
      if (!query->step()) {
        rows.stop();
        return nullptr;
      }
    }
  } catch (...) {
    // A failed statement must not be stepped on as if it had not failed.
    rows.stop();
    throw;
  }
  rows.leaveAt({cursor.walker, index});
  cursor.index = index;
  return query;
}

}  // namespace

std::optional<std::pair<std::string, std::string>> RegistryDatabase::subKeyAt(
    EnumerationCursor& cursor, KeyId parent, uint32_t index) {
  Query* row =
      stepTo(statements_->subKeysAfter, cursor, index, [&](Query& fresh, bool onward) -> Query& {
        return fresh.bind(parent).bindBlobCopy(onward ? cursor.foldedName : std::string());
      });
  if (!row) return std::nullopt;
  cursor.foldedName = row->bytes(1);
  return std::make_pair(row->bytes(0), cursor.foldedName);
}

std::optional<ValueRow> RegistryDatabase::valueAt(EnumerationCursor& cursor, KeyId key,
                                                  uint32_t index) {
  Query* row =
      stepTo(statements_->valuesAfter, cursor, index, [&](Query& fresh, bool onward) -> Query& {
        return fresh.bind(key).bind(onward ? cursor.valueId : 0).bind(carriedValueSize);
      });
  if (!row) return std::nullopt;
  cursor.valueId = row->integer(0);
  ValueRow value{cursor.valueId, row->bytes(1), static_cast<uint32_t>(row->integer(2)),
                 static_cast<uint32_t>(row->integer(3)), std::nullopt};
  if (!row->isNull(4)) value.data = row->bytes(4);
  return value;
}

std::string RegistryDatabase::valueData(int64_t valueId) {
  Query query(statements_->valueData);
  return query.bind(valueId).step() ? query.bytes(0) : std::string();
}

std::optional<std::pair<uint32_t, std::string>> RegistryDatabase::findValue(KeyId key,
                                                                            std::string_view name) {
  Query query(statements_->findValue);
  if (!query.bind(key).bindBlob(foldName(name)).step()) return std::nullopt;
  return std::make_pair(static_cast<uint32_t>(query.integer(0)), query.bytes(1));
}

bool RegistryDatabase::hasValue(KeyId key, std::string_view name) {
  return Query(statements_->hasValue).bind(key).bindBlob(foldName(name)).step();
}

bool RegistryDatabase::setValue(KeyId key, std::string_view name, uint32_t type,
                                std::string_view data) {
  Query(statements_->setValue)
      .bind(key)
      .bindText(name)
      .bindBlob(foldName(name))
      .bind(type)
      .bindBlob(data)
      .step();
  return sqlite3_changes(connection_) > 0;
}

bool RegistryDatabase::deleteValue(KeyId key, std::string_view name) {
  Query(statements_->deleteValue).bind(key).bindBlob(foldName(name)).step();
  return sqlite3_changes(connection_) > 0;
}

}  // namespace zarn
