// The native registry store: the registry of the platform, kept in SQLite.
//
// Where it lives. Two files: "user.sqlite3" holds HKEY_CURRENT_USER and
// "machine.sqlite3" holds HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_USERS
// and HKEY_CURRENT_CONFIG as four independent trees (no merged or linked
// views). RegistryLocation says which folders: ZARNUTILS_REGISTRY_DIR for
// both, else the user's data folder and /var/lib/zarnutils. Each file is
// opened on first use of one of its roots. A store whose file does not exist
// reads as empty (just the roots), and reading it creates nothing; the first
// change creates the folder and the file, the user file with mode 0600, the
// machine file with 0644, and each missing folder with 0700 for the user
// store alone, 0755 for one holding the machine store, whatever the umask.
// Any number of processes may open a store, new or
// existing, at once: those that set up a new file take turns, and none of
// them fails or sees a half-made store.
//
// What a write survives. Every operation that changes the store is one
// transaction, committed with a full sync before the operation returns: once
// it has returned success, the change survives the process being killed and
// is seen by every other process using the same files. Several processes and
// threads may read and write at once (WAL journal, busy timeout); writers take
// turns and lose nothing.
//
// Who may write, and who may read. A process that may not write a file gets
// 5 from every create, set and delete in it and still reads it. A missing
// file reads as empty. A file that is there but may not be read answers 5 to
// every operation on its roots, and one that holds no store (a folder,
// garbage, a damaged or truncated file) 1016, whether read or changed; such
// a file is never written. HKEY_DYN_DATA does not exist: 6.
//
// The -wal and -shm files. Every user who may read the files reads exactly
// what is committed, whatever state the -wal and -shm files are in and
// whether or not the folder may be written. The rule that keeps this cheap:
// every connection keeps the -wal and -shm files when it closes
// (SQLITE_FCNTL_PERSIST_WAL), so once a store has been opened for writing
// they stay beside it, created with the store file's mode, and a reader who
// may not write them reads through them as SQLite allows (a -shm it may not
// write is read into memory of its own). A reader who finds them missing
// (a store copied or last closed by a writer that removed them) and may not
// create them, or a -wal without its -shm, cannot have SQLite read the
// store in place; it reads a private copy instead: the file and its -wal,
// copied while neither changes, read by SQLite in a folder of the
// process's own and kept in memory, read-only; the copy on disk is removed
// at once. Such a reader sees the store as of the copy until it has no
// handle open into it, and copies it again if it changed by then.
//
// Change groups. Between beginChangeGroup and endChangeGroup every change is
// made in one transaction per file, begun at the group's first change in
// that file and committed (or rolled back) at its end, so a group that fails
// or is abandoned leaves nothing of itself in the store. A group that
// changes both files commits each of them atomically, one after the other:
// when the second commit fails the first stands. When SQLite rolls a file's
// group transaction back by itself (a full disk, an I/O error, a trigger
// raising ROLLBACK), every later change of the group answers 1016 and the
// group's end commits no file. While a group is open the
// process holds the write lock of each file it changed; changes from other
// threads of the process join the group. Groups do not nest.
//
// Handles. A handle is an opaque 32-bit value that names one key and carries
// the access it was opened with; it stays valid until RegCloseKey, after
// which the value is 6 like any unknown one. Root handles need no opening
// and ignore closing. Key ids are never reused, so every operation through a
// handle whose key was deleted, by this process or another, gets 1018.
//
// Cost. While handles into a file are open, everything read through them
// is read in one snapshot of it (see registry_database.h), so a key's
// existence is checked once per snapshot and a lookup is a few indexed
// steps with statements prepared once per file. A change that would change
// nothing (creating keys that exist, deleting what is not there, setting a
// value to what it holds) is settled in the snapshot and writes nothing;
// any other is exactly one write transaction. Enumeration steps on from
// where the handle's previous call stopped, so listing a key holds one
// entry at a time and asking for the next index costs one step at any size.
//
// Volatile keys. A key created with REG_OPTION_VOLATILE lives until the
// machine restarts: it is kept with the boot identifier of the running
// system (/proc/sys/kernel/random/boot_id; where the system tells none,
// volatile keys last like the others) and, in every later boot, is gone with
// everything below it. Only creation sees the difference: under a volatile
// key only volatile keys may be created (1021), and opening an existing key
// ignores the option; every other operation treats volatile keys like any
// other. The first process of a later boot that may write the file removes
// them, in one transaction, when it opens the file; one that may not write
// it reads it as if that had been done. The same opening gives a file made
// before keys could be volatile their column (keeping every key), or, for
// a reader that may not write it, reads it as such a file unchanged.
//
// Freshness. A reader sees other processes' changes committed before its
// snapshot began: at most maxSnapshotAge earlier, and never before its own.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/native/registry_store/registry_database.h"
#include "platform/registry_service.h"

namespace zarn {

// Where the native registry store keeps its two files, as the names and
// variables of zarnutils/store_location.h choose them.
struct RegistryLocation {
  std::filesystem::path userDirectory;     // holds the HKEY_CURRENT_USER store
  std::filesystem::path machineDirectory;  // holds the store of the other roots

  // A folder chosen in code (setRegistryDirectory) holds both files; else
  // ZARNUTILS_REGISTRY_DIR, when set, holds both files. Otherwise the user
  // store lives in $XDG_DATA_HOME/zarnutils (else ~/.local/share/zarnutils)
  // and the machine store in /var/lib/zarnutils. ZARNUTILS_REGISTRY_DIR set
  // to the empty text is most likely a mistake (a variable expanded from
  // nothing), and using the real stores instead could destroy them: it
  // throws std::invalid_argument naming the variable.
  static RegistryLocation fromEnvironment();

  // Both stores in one folder.
  static RegistryLocation inDirectory(const std::filesystem::path& directory);

  std::filesystem::path userFile() const;     // user.sqlite3 in userDirectory
  std::filesystem::path machineFile() const;  // machine.sqlite3 in machineDirectory
};

// The operations of RegistryService (see registry_service.h for their
// arguments and status codes) over the store in one location. Thread-safe.
class RegistryStore {
 public:
  explicit RegistryStore(RegistryLocation location);
  ~RegistryStore();
  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  RegistryStatus openKey(KeyHandle root, const char* subKey, uint32_t access, KeyHandle* key);
  RegistryStatus createKey(KeyHandle root, const char* subKey, uint32_t access, KeyHandle* key,
                           uint32_t* disposition, uint32_t options = 0);
  RegistryStatus closeKey(KeyHandle key);
  RegistryStatus enumKey(KeyHandle key, uint32_t index, char* name, uint32_t nameSize);
  RegistryStatus enumValue(KeyHandle key, uint32_t index, char* name, uint32_t* nameLength,
                           uint32_t* type, uint8_t* data, uint32_t* dataSize);
  RegistryStatus queryValue(KeyHandle key, const char* valueName, uint32_t* type, uint8_t* data,
                            uint32_t* dataSize);
  RegistryStatus setValue(KeyHandle key, const char* valueName, uint32_t type, const uint8_t* data,
                          uint32_t dataSize);
  RegistryStatus deleteKey(KeyHandle key, const char* subKey);
  RegistryStatus deleteValue(KeyHandle key, const char* valueName);
  int openHandleCount();
  // The file that holds the root's tree.
  std::filesystem::path fileOf(RootKeyValue root) const;
  // A number that moves on with every change committed to the store's
  // files, by this process or another (0 while neither file exists). It
  // ends the snapshots, so that what is read next is the store as it is.
  uint64_t changeVersion();
  // How many write transactions this store has committed; every change is
  // one, and a call that changes nothing adds none.
  int committedChangeCount();

  void beginChangeGroup();
  // Commits (or, when commit is false, rolls back) what the group changed;
  // the status of the first commit that failed, after which the remaining
  // files are rolled back.
  RegistryStatus endChangeGroup(bool commit);

 private:
  // The value last read through a handle, kept when small for a query of
  // the same name in the same snapshot: the query that follows a listed
  // value, or the read that follows a size probe.
  struct RecentValue {
    std::optional<uint64_t> readIn;
    std::string name;
    uint32_t type = 0;
    std::string data;
  };
  struct OpenKey {
    RegistryDatabase* database;
    KeyId key;
    uint32_t access;
    bool isRoot = false;
    // The snapshot in which the key was last seen to exist.
    std::optional<uint64_t> seenIn;
    EnumerationCursor subKeys;
    EnumerationCursor values;
    RecentValue recentValue;
  };

  // The key a handle names: 6 for an unknown handle.
  RegistryStatus lookUp(KeyHandle handle, OpenKey*& openKey);
  // The open handle's place in handles_, or handles_.end().
  std::vector<std::pair<KeyHandle, size_t>>::iterator findHandle(KeyHandle handle);
  // How many handles are open into database.
  size_t& handlesInto(const RegistryDatabase* database);
  // Reads the key's file in its snapshot: 1018 when the key is gone.
  RegistryStatus readKey(OpenKey& openKey);
  // Ends the snapshots of files into which no handle is open.
  void releaseIdleSnapshots();
  // Forgets the databases read through a private copy of a file that has
  // changed since, unless a handle into them is open.
  void dropStaleCopies();
  RegistryDatabase& database(bool user);
  // An absent database is looked for on disk again at every use (openIfMade)
  // and made by the first change (make), so that a read creates nothing and
  // a store made meanwhile by another process is seen. When step brings it
  // onto the disk, the handles into it follow its roots to their new ids.
  void bringOntoDisk(RegistryDatabase& database, bool (RegistryDatabase::*step)());
  static void remember(OpenKey& open, std::string_view name, uint32_t type, std::string data);
  static const RecentValue* recall(const OpenKey& open, std::string_view name);
  OpenKey newOpenKey(RegistryDatabase& database, KeyId key, uint32_t access, bool isRoot);
  KeyHandle addHandle(RegistryDatabase& database, KeyId key, uint32_t access);
  void removeHandle(KeyHandle key);
  // Inside a change group, begins the file's group transaction at its first
  // change; the change itself is then a savepoint in it.
  RegistryStatus joinGroup(RegistryDatabase& database);
  // 1016 once the file's group transaction was rolled back under the group.
  RegistryStatus groupStatus(RegistryDatabase& database);
  template <typename Operation>
  RegistryStatus guarded(Operation operation);
  // Every create, set and delete goes through here, which keeps the promises
  // above for all of them. Checked in this order, the first failure being
  // the one reported: the handle names a key (else 6), the change's own
  // arguments are valid (else argumentStatus), the handle carries
  // requiredAccess (else 5), the file holds a store (else 1016) that may be
  // written (else 5), its change group was not rolled back (else 1016), the
  // key exists in the snapshot (else 1018). settle then looks in the snapshot
  // through the handle's key:
  // a status from it is the outcome, with nothing written. Otherwise the one
  // transaction begins, the key must still exist (else 1018), and work makes
  // the change in that transaction and commits it.
  template <typename Settle, typename Work>
  RegistryStatus change(KeyHandle handle, RegistryStatus argumentStatus, uint32_t requiredAccess,
                        Settle settle, Work work);

  RegistryLocation location_;
  std::mutex mutex_;
  std::unique_ptr<RegistryDatabase> user_;
  std::unique_ptr<RegistryDatabase> machine_;
  // The open handles in ascending order, each with the slot of its key; a
  // closed handle's slot is taken by the next one opened, so that opening
  // and closing allocate nothing once the slots are there.
  std::vector<std::pair<KeyHandle, size_t>> handles_;
  std::deque<OpenKey> slots_;
  std::vector<size_t> freeSlots_;
  std::map<KeyHandle, OpenKey> roots_;
  KeyHandle lastHandle_ = 0;
  uint64_t lastWalker_ = 0;
  size_t handlesIntoUser_ = 0;
  size_t handlesIntoMachine_ = 0;
  // The names of the path openKey was last given, kept for their room.
  std::vector<std::string_view> openedPath_;
  bool grouping_ = false;
  std::map<RegistryDatabase*, std::unique_ptr<Transaction>> groupTransactions_;
};

// The store every RegistryService call of the process works on
// (registry_service.cpp); null when the environment places it nowhere.
RegistryStore* processRegistryStore();

}  // namespace zarn
