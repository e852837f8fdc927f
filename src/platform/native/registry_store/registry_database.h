// One SQLite file of the native registry store: its schema, its prepared
// statements and the row-level operations the store is built from.
//
// Keys form a tree of rows (id, parent, name, folded_name); a root is a row
// whose parent is 0. Ids come from AUTOINCREMENT and are never reused, so a
// handle that remembers an id can tell that its key was deleted even when a
// key of the same name was created since. folded_name is the upper-cased name
// as big-endian UTF-16, so the byte order of the unique (parent, folded_name)
// index is the platform's enumeration order. Values carry their own
// never-reused id, which gives the creation order; replacing a value keeps it.
#pragma once

#include <sqlite3.h>

#include <sys/types.h>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/native/registry_store/sqlite_query.h"

namespace zarn {

using KeyId = int64_t;

// The comparison form of a key or value name given in the narrow code page.
std::string foldName(std::string_view narrowName);

struct ValueRow {
  int64_t id = 0;
  std::string name;
  uint32_t type = 0;
  uint32_t size = 0;
};

class RegistryDatabase {
 public:
  // Opens file when it holds a store: read-write, or read-only when this
  // process may not write it. Otherwise the database is absent: it reads as
  // an empty store with just the roots, may not be written, and nothing is
  // created on disk until make() is called.
  RegistryDatabase(std::filesystem::path file, mode_t createMode,
                   std::vector<std::string> rootNames);
  ~RegistryDatabase();
  RegistryDatabase(const RegistryDatabase&) = delete;
  RegistryDatabase& operator=(const RegistryDatabase&) = delete;

  bool present() const { return present_; }
  bool writable() const { return writable_; }
  sqlite3* connection() const { return connection_; }

  // An absent database opens its file if another process has made it since.
  // True when the database came onto the disk.
  bool openIfMade();

  // An absent database makes its folder and file (mode createMode), sets up
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

  bool keyExists(KeyId key);
  std::optional<KeyId> findSubKey(KeyId parent, std::string_view name);
  KeyId insertSubKey(KeyId parent, std::string_view name);
  bool hasSubKeys(KeyId key);
  void deleteKey(KeyId key);

  // Walks the subkeys of parent in enumeration order, starting after the
  // one whose folded name is after (empty: from the first), and returns the
  // steps-th one (1 is the next) as {name, folded name}.
  std::optional<std::pair<std::string, std::string>> subKeyAfter(KeyId parent,
                                                                 const std::string& after,
                                                                 uint32_t steps);

  // Same for values in creation order, starting after value id after.
  std::optional<ValueRow> valueAfter(KeyId key, int64_t after, uint32_t steps);
  std::string valueData(int64_t valueId);

  // {type, data} of the named value.
  std::optional<std::pair<uint32_t, std::string>> findValue(KeyId key, std::string_view name);
  void setValue(KeyId key, std::string_view name, uint32_t type, std::string_view data);
  bool deleteValue(KeyId key, std::string_view name);

 private:
  struct Statements;

  // Opens the file when it holds a complete store; false (and the database
  // unchanged) when it does not hold one yet. Throws for a file that is no
  // SQLite database.
  bool openStore(bool setUp);
  void openAbsent();
  void setUpStore();
  void createSchema();
  bool hasSchema();
  void prepare();
  void close();

  std::filesystem::path file_;
  mode_t createMode_;
  std::vector<std::string> rootNames_;
  sqlite3* connection_ = nullptr;
  bool present_ = false;
  bool writable_ = false;
  std::unique_ptr<Statements> statements_;
  std::map<std::string, KeyId> roots_;
};

}  // namespace zarn
