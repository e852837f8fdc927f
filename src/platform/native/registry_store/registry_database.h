// One SQLite file of the native registry store: its schema, its prepared
// statements and the row-level operations the store is built from, over a
// thin layer of SQLite's C interface.
//
// Keys form a tree of rows (id, parent, name, folded_name, volatile_boot); a
// root is a row whose parent is 0, and volatile_boot, NULL for the others,
// names the boot of the machine a volatile key was made in. Ids come from AUTOINCREMENT and are
// never reused, so a handle that remembers an id can tell that its key was deleted even when a key
// of the same name was created since. folded_name is the upper-cased name as big-endian UTF-16, so
// the byte order of the unique (parent, folded_name) index is the platform's enumeration order.
// Values carry their own never-reused id, which gives the creation order; replacing a value keeps
// it.
//
// Reads share one read transaction, the snapshot: it begins at the first
// read after the last one ended and lasts until releaseSnapshot(), the next
// change, or until it is maxSnapshotAge old, so that a caller holding it
// never sees the store much later than it is. Enumerations are resumable
// queries, open for as long as the snapshot they read.
//
// Subkey ids found by name are kept between transactions while the file's
// data version says no other connection changed it; this connection's own
// deletions and the end of a change group (which may undo keys it made)
// forget them.
#pragma once

#include <sqlite3.h>

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarn {

// Thin RAII over SQLite's C interface: statements prepared once and reused,
// one use of a statement at a time, and transactions that roll back unless
// committed. Every failure becomes a SqliteError carrying SQLite's code.
class SqliteError : public std::runtime_error {
 public:
  SqliteError(int code, const std::string& message);
  int code() const { return code_; }

 private:
  int code_;
};

// Throws SqliteError unless result is SQLITE_OK.
void checkSqlite(sqlite3* database, int result);

// Runs statements that return no rows.
void executeSql(sqlite3* database, const char* sql);

class CachedStatement {
 public:
  CachedStatement(sqlite3* database, const char* sql);
  ~CachedStatement();
  CachedStatement(const CachedStatement&) = delete;
  CachedStatement& operator=(const CachedStatement&) = delete;

  sqlite3_stmt* get() const { return statement_; }

 private:
  sqlite3_stmt* statement_ = nullptr;
};

// One use of a cached statement: parameters are bound in order, rows are
// stepped through, and the statement is reset when the query goes away.
// Bound text and bytes are not copied, as a lookup binds a name only for its
// one step: they must stay unchanged until the last step, or be bound with
// bindBlobCopy.
class Query {
 public:
  explicit Query(const CachedStatement& statement);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& bind(int64_t value);
  Query& bindText(std::string_view text);
  Query& bindBlob(std::string_view bytes);
  Query& bindBlobCopy(std::string_view bytes);

  // True when a row is ready, false when the statement is done.
  bool step();

  int64_t integer(int column) const;
  bool isNull(int column) const;
  std::string bytes(int column) const;

 private:
  Query& bindBlob(std::string_view bytes, sqlite3_destructor_type lifetime);

  sqlite3_stmt* statement_;
  int nextParameter_ = 1;
};

// A query kept open between calls, so that a reader going on from where it
// stopped takes one step instead of a new search. Where it was left is a
// position of the caller's choosing; resuming at any other position, or
// after stop(), gives nothing, and the caller starts afresh.
template <typename Position>
class ResumableQuery {
 public:
  ResumableQuery(sqlite3* database, const char* sql) : statement_(database, sql) {}

  // The open query, when it was left at position.
  Query* resume(const Position& position) {
    return query_ && position_ == position ? &*query_ : nullptr;
  }
  // A fresh use of the statement, to bind and step.
  Query& restart() {
    stop();
    return query_.emplace(statement_);
  }
  void leaveAt(Position position) { position_ = std::move(position); }
  void stop() {
    query_.reset();
    position_.reset();
  }

 private:
  CachedStatement statement_;
  std::optional<Query> query_;
  std::optional<Position> position_;
};

// The statements that begin and end transactions, prepared once per
// connection.
struct TransactionStatements {
  explicit TransactionStatements(sqlite3* database);

  CachedStatement begin;
  CachedStatement commit;
  CachedStatement rollback;
  CachedStatement savepoint;
  CachedStatement release;
  CachedStatement rollbackToSavepoint;
};

// BEGIN IMMEDIATE, so that a writer waits for the write lock at the start
// (under the busy timeout) instead of failing when it upgrades a read.
// Nested in a transaction that is already open it is a savepoint instead:
// commit hands its changes to the outer transaction, and without commit only
// its own changes are undone.
class Transaction {
 public:
  explicit Transaction(TransactionStatements& statements, bool nested = false);
  ~Transaction();
  Transaction(Transaction&& other) noexcept;
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();

 private:
  TransactionStatements* statements_;
  bool nested_;
  bool open_ = true;
};

// The store's own rows.

using KeyId = int64_t;

// The comparison form of a key or value name given in the narrow code page.
std::string foldName(std::string_view narrowName);

// Values up to this size come along with their enumeration row, as the
// query that usually follows an enumerated value wants them.
constexpr uint32_t carriedValueSize = 2048;

struct ValueRow {
  int64_t id = 0;
  std::string name;
  uint32_t type = 0;
  uint32_t size = 0;
  std::optional<std::string> data;  // when carried along
};

// Where one reader's enumeration of one key stands: the index it last
// asked for and what that row was. walker tells the readers apart and is
// never reused.
struct EnumerationCursor {
  uint64_t walker = 0;
  std::optional<uint32_t> index;
  std::string foldedName;  // subkeys: the last row's folded name
  int64_t valueId = 0;     // values: the last row's id
};

class RegistryDatabase {
 public:
  // Opens file when it holds a store: read-write, or read-only when this
  // process may not write it. Otherwise the database is absent: it reads as
  // an empty store with just the roots, may not be written, and nothing is
  // created on disk until make() is called.
  RegistryDatabase(std::filesystem::path file, mode_t createMode, mode_t folderMode,
                   std::vector<std::string> rootNames);
  ~RegistryDatabase();
  RegistryDatabase(const RegistryDatabase&) = delete;
  RegistryDatabase& operator=(const RegistryDatabase&) = delete;

  bool present() const { return present_; }
  // The SQLite code of why a file that is there cannot be used (it may not
  // be read, it is no store): such a database reads as empty, make() leaves
  // it alone, and checkUsable() throws it. 0 for a usable or missing file.
  int failure() const { return failure_; }
  void checkUsable() const;
  // Read through a private copy (see openPrivateCopy) whose files have
  // changed since: the database should be opened anew.
  bool isStaleCopy() const;
  // Write transactions committed to the file since this object opened it.
  int committedChanges() const { return committedChanges_; }
  bool writable() const { return writable_; }
  sqlite3* connection() const { return connection_; }

  // An absent database opens its file if another process has made it since.
  // True when the database came onto the disk.
  bool openIfMade();

  // An absent database makes its missing folders (mode folderMode) and its
  // file (mode createMode), both whatever the umask, sets up
  // the journal, schema and roots, and opens it. Any number of processes may
  // do this at once: they take turns under a lock on the folder, and each
  // step is done only if no one has done it, so all of them find the same
  // store. A file that cannot be made or opened leaves the database absent.
  // True when the database came onto the disk.
  bool make();

  // The roots' key ids change when the database comes onto the disk.
  const std::map<std::string, KeyId>& roots() const { return roots_; }
  KeyId rootKey(const std::string& rootName) const { return roots_.at(rootName); }
  bool isRoot(KeyId key) const;

  static constexpr std::chrono::milliseconds maxSnapshotAge{20};

  // Begins a snapshot unless one is open and young enough. Inside a
  // transaction of changes (a change group) reads see that instead.
  void readInSnapshot();
  void releaseSnapshot();
  // SQLite's data version of the file: it moves on with every change other
  // connections commit to it. Read outside any snapshot.
  int64_t dataVersion();
  // Tells snapshots apart: a fact read in one still holds while this stays
  // the same. Every change, and the end of a change group, moves it on.
  uint64_t snapshot() const { return snapshot_; }

  // Ends the snapshot and begins the transaction of one change; nested in a
  // change group's transaction, a savepoint. When no other connection has
  // changed the file since the snapshot began, the transaction takes over
  // the snapshot instead of reading the file anew.
  Transaction beginChange(bool nested);
  // The same for the transaction of a change group, which its end commits or
  // rolls back; endChangeGroup() follows it, as what was read in the group
  // may have been undone.
  std::unique_ptr<Transaction> beginChangeGroup();
  void endChangeGroup();
  // Whether another connection changed the file between the last two
  // transactions this one began, as seen from the second.
  bool changedByOthers() const { return changedByOthers_; }

  bool keyExists(KeyId key);
  std::optional<KeyId> findSubKey(KeyId parent, std::string_view name);
  KeyId insertSubKey(KeyId parent, std::string_view name);
  // A key that lives until the machine restarts.
  KeyId insertVolatileSubKey(KeyId parent, std::string_view name);
  bool isVolatile(KeyId key);
  bool hasSubKeys(KeyId key);
  void deleteKey(KeyId key);

  // Subkey number index of parent in enumeration order, as {name, folded
  // name}, and the cursor moved onto it. A reader asking for the next
  // indexes in turn costs one step each; asking for a later index seeks
  // from the cursor, an earlier one from the start.
  std::optional<std::pair<std::string, std::string>> subKeyAt(EnumerationCursor& cursor,
                                                              KeyId parent, uint32_t index);

  // Same for values in creation order.
  std::optional<ValueRow> valueAt(EnumerationCursor& cursor, KeyId key, uint32_t index);
  std::string valueData(int64_t valueId);

  // {type, data} of the named value.
  std::optional<std::pair<uint32_t, std::string>> findValue(KeyId key, std::string_view name);
  bool hasValue(KeyId key, std::string_view name);
  // False when the value already held that type and data.
  bool setValue(KeyId key, std::string_view name, uint32_t type, std::string_view data);
  bool deleteValue(KeyId key, std::string_view name);

 private:
  struct Statements;

  // Opens the file when it holds a complete store; false (and the database
  // unchanged) when it does not hold one yet. Throws for a file that is no
  // SQLite database.
  bool openStore(bool setUp);
  // Records why an existing file cannot be used; false.
  bool unusable(int code);
  // For a reader that may read the file but cannot have SQLite create its
  // -wal or -shm file (the folder may not be written): copies the file and
  // its -wal, taken while neither changes, into a folder of this process,
  // lets SQLite read the log into the copy there, and keeps the result in
  // memory, read-only; the copy is removed at once.
  bool openPrivateCopy();
  // Identity, size and time of change of the file and of its -wal.
  struct FileState {
    std::array<int64_t, 4> store;
    std::array<int64_t, 4> log;
    bool operator==(const FileState&) const = default;
  };
  FileState fileState() const;
  void openAbsent();
  void setUpStore();
  void createSchema();
  bool hasSchema();
  // Brings a file up to this boot: a file made before keys could be
  // volatile gains their column, and the volatile keys of earlier boots
  // are removed; a reader that may not do either reads as if they had been.
  void forgetEarlierBoots();
  void prepare();
  void close();
  void stopEnumerations();
  // After a transaction began: forgets the kept subkey ids when another
  // connection has changed the file since they were found.
  void checkKeptIdsAreCurrent();
  void noteDataVersion(int64_t version);
  void forgetKeptIds();

  std::filesystem::path file_;
  mode_t createMode_;
  mode_t folderMode_;
  std::vector<std::string> rootNames_;
  sqlite3* connection_ = nullptr;
  bool present_ = false;
  bool writable_ = false;
  int failure_ = 0;
  std::optional<FileState> copiedFrom_;
  std::unique_ptr<Statements> statements_;
  std::unique_ptr<CachedStatement> insertVolatileSubKey_;
  std::map<std::string, KeyId> roots_;
  int committedChanges_ = 0;
  // parent -> name as given -> subkey id
  std::map<KeyId, std::map<std::string, KeyId, std::less<>>> keptIds_;
  size_t keptIdCount_ = 0;
  std::optional<int64_t> keptIdsVersion_;
  bool changedByOthers_ = true;
  std::optional<Query> snapshotHolder_;
  std::chrono::steady_clock::time_point snapshotBegan_;
  uint64_t snapshot_ = 0;
};

}  // namespace zarn
