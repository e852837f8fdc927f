// The registry as C++ types: keys as owning handles, values read and written
// as the types they hold, errors as exceptions or std::error_code.
//
//   using namespace zarn::registry;
//   Key key = Key::create(Root::CurrentUser, "Software\\Example");
//   key.writeNumber("Port", 8080);
//   uint32_t port = key.readNumber("Port", 80);   // 80 when there is none
//
// Text (names, paths, data) is UTF-8 on every target. On Windows the calls
// are the platform's wide-character registry functions; natively they work
// on the native registry store (store_location.h), which keeps one view.
//
// Errors. Every operation that can fail has two forms, as std::filesystem
// has: one throws Error, which carries the platform's status code,
// its meaning and the key (and value) it concerned; the other takes a
// std::error_code& last, is noexcept apart from std::bad_alloc, fills the
// code (category registryCategory(), value the status) and answers an empty
// result. Bad input (a name or text holding a NUL or that is not UTF-8, an
// empty string in a multi-string) fails with 87 or 1113 and changes
// nothing; reading a value as a type it does not hold fails with 1630.
//
// Threads. One Key may be used from several threads at once through its
// const member functions (every read, write, listing and delete); moving,
// closing and destroying it must not race with them. Distinct Keys, even of
// the same registry key, may be used from any threads. A Transaction is the process's:
// natively, while it is open every change made by any thread of the process
// joins it; only one may be open at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace zarn::registry {

// The predefined roots, as the platform numbers them.
enum class Root : uint32_t {
  ClassesRoot = 0x80000000,
  CurrentUser = 0x80000001,
  LocalMachine = 0x80000002,
  Users = 0x80000003,
  CurrentConfig = 0x80000005,
};

// The rights a key is opened with, and the registry view it is seen in
// (reg.exe's /reg:32 and /reg:64; 64-bit Windows only, ignored elsewhere):
// an access mask as the platform's, Access::Read | Access::View32.
enum class Access : uint32_t {
  Read = 0x20019,       // KEY_READ: query values, list subkeys
  Write = 0x20006,      // KEY_WRITE: set values, create subkeys
  ReadWrite = 0x2001F,  // both
  View64 = 0x0100,      // KEY_WOW64_64KEY
  View32 = 0x0200,      // KEY_WOW64_32KEY
};
constexpr Access operator|(Access a, Access b) {
  return static_cast<Access>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}

// The value types, as the platform numbers them.
enum class ValueType : uint32_t {
  None = 0,             // REG_NONE: bytes without a meaning
  Text = 1,             // REG_SZ
  ExpandText = 2,       // REG_EXPAND_SZ: text naming %VARIABLES%
  Binary = 3,           // REG_BINARY
  Number = 4,           // REG_DWORD: 32 bits, little endian
  NumberBigEndian = 5,  // REG_DWORD_BIG_ENDIAN
  MultiText = 7,        // REG_MULTI_SZ: a list of non-empty texts
  Number64 = 11,        // REG_QWORD
};

// The type names reg.exe uses: "REG_SZ", "REG_DWORD"..., also for the
// codes without a ValueType (6 is "REG_LINK", 8 to 10 the resource lists),
// or "" for a type it has no name for.
std::string_view typeName(ValueType type);
// The type a name denotes, in any letter case ("reg_sz"), with
// REG_DWORD_LITTLE_ENDIAN another name of REG_DWORD; nothing for another
// name, REG_LINK and the resource lists among them.
std::optional<ValueType> valueTypeOfName(std::string_view name);

// A root's long name, HKEY_CURRENT_USER; and the root a name denotes, short
// (HKCU) or long, in any letter case, or nothing.
std::string_view rootName(Root root);
std::optional<Root> rootOfName(std::string_view name);

// Whether two key or value names (or key paths) name the same key or value:
// the registry compares names without regard to letter case.
bool sameName(std::string_view left, std::string_view right);

// The category of the registry's status codes: message() gives the
// meaning of each (2: "not found" ...).
const std::error_category& registryCategory();

// What the operation that threw concerned: status, meaning, key, value.
class Error : public std::system_error {
 public:
  Error(std::error_code code, std::string key, std::string value = {});
  const std::string& key() const noexcept { return key_; }      // HKEY_CURRENT_USER\Software\X
  const std::string& value() const noexcept { return value_; }  // empty when none
  int status() const noexcept { return code().value(); }

 private:
  std::string key_;
  std::string value_;
};

// A value as stored: its name, type and bytes. The bytes of text types are
// the platform's stored form (UTF-16LE with its NULs on Windows, UTF-8
// natively); the accessors convert as the Key's reads do.
struct Value {
  std::string name;
  ValueType type = ValueType::None;
  std::vector<uint8_t> data;

  std::string text() const;                    // Text or ExpandText, unexpanded
  std::vector<std::string> multiText() const;  // MultiText
  uint32_t number() const;                     // Number or NumberBigEndian
  uint64_t number64() const;                   // Number64

  // The data in Windows' own form, as .reg files of version 5 and hive
  // files carry it: text types (Text, ExpandText, MultiText) as UTF-16LE
  // with every NUL kept, other types as stored. On Windows that is data
  // unchanged; natively the store's UTF-8 is converted (a byte that is not
  // UTF-8 becomes U+FFFD).
  std::vector<uint8_t> windowsData() const;
  // The Value that holds data given in that form (natively the UTF-16 is
  // converted to UTF-8, an odd last byte dropped).
  static Value fromWindowsData(std::string name, ValueType type, std::vector<uint8_t> data);
};

// A value's type and size in bytes, without its data.
struct ValueInfo {
  ValueType type = ValueType::None;
  uint32_t size = 0;
};

// An open registry key, closed when the Key goes: movable, not copyable.
// Paths are backslash-separated below the key or root they start from; an
// empty path names that key itself.
class Key {
 public:
  Key() noexcept = default;  // opens nothing; every operation but close answers 6
  Key(Key&& other) noexcept;
  Key& operator=(Key&& other) noexcept;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key();

  // Opens an existing key: 2 when a key on the path is missing.
  static Key open(Root root, std::string_view path, Access access = Access::Read);
  static Key open(Root root, std::string_view path, Access access, std::error_code& ec);
  // Opens a key, creating every missing key on the path.
  static Key create(Root root, std::string_view path, Access access = Access::ReadWrite);
  static Key create(Root root, std::string_view path, Access access, std::error_code& ec);
  // Whether the key exists: true or false, or an error other than 2.
  static bool exists(Root root, std::string_view path, Access view = Access::Read);
  static bool exists(Root root, std::string_view path, Access view, std::error_code& ec);

  // A subkey, opened or created in this key's view.
  Key openKey(std::string_view path, Access access = Access::Read) const;
  Key openKey(std::string_view path, Access access, std::error_code& ec) const;
  Key createKey(std::string_view path, Access access = Access::ReadWrite) const;
  Key createKey(std::string_view path, Access access, std::error_code& ec) const;
  bool hasKey(std::string_view path) const;
  bool hasKey(std::string_view path, std::error_code& ec) const;

  bool isOpen() const noexcept { return handle_ != 0; }
  // The full name, HKEY_CURRENT_USER\Software\Example.
  const std::string& name() const noexcept { return name_; }
  // Closes now; closing a closed Key does nothing.
  void close() noexcept;

  // Values. An empty name is the key's default value.
  bool hasValue(std::string_view name) const;
  bool hasValue(std::string_view name, std::error_code& ec) const;
  ValueInfo valueInfo(std::string_view name) const;
  ValueInfo valueInfo(std::string_view name, std::error_code& ec) const;
  Value readValue(std::string_view name) const;
  Value readValue(std::string_view name, std::error_code& ec) const;

  // Text or ExpandText as written; readExpandedText expands an ExpandText's
  // %VARIABLES% from the environment.
  std::string readText(std::string_view name) const;
  std::string readText(std::string_view name, std::error_code& ec) const;
  std::string readText(std::string_view name, std::string_view fallback) const;
  std::optional<std::string> tryReadText(std::string_view name) const;
  std::string readExpandedText(std::string_view name) const;
  std::string readExpandedText(std::string_view name, std::error_code& ec) const;
  std::vector<std::string> readMultiText(std::string_view name) const;
  std::vector<std::string> readMultiText(std::string_view name, std::error_code& ec) const;
  // Number or NumberBigEndian, in the host's order.
  uint32_t readNumber(std::string_view name) const;
  uint32_t readNumber(std::string_view name, std::error_code& ec) const;
  uint32_t readNumber(std::string_view name, uint32_t fallback) const;
  std::optional<uint32_t> tryReadNumber(std::string_view name) const;
  uint64_t readNumber64(std::string_view name) const;
  uint64_t readNumber64(std::string_view name, std::error_code& ec) const;
  uint64_t readNumber64(std::string_view name, uint64_t fallback) const;
  std::optional<uint64_t> tryReadNumber64(std::string_view name) const;
  // Binary (or None) bytes.
  std::vector<uint8_t> readBinary(std::string_view name) const;
  std::vector<uint8_t> readBinary(std::string_view name, std::error_code& ec) const;
  // The fallback forms and try forms answer the fallback or nothing for a
  // missing value (2) and throw every other error, a wrong type included.

  void writeText(std::string_view name, std::string_view text) const;
  void writeText(std::string_view name, std::string_view text, std::error_code& ec) const;
  void writeExpandText(std::string_view name, std::string_view text) const;
  void writeExpandText(std::string_view name, std::string_view text, std::error_code& ec) const;
  void writeMultiText(std::string_view name, const std::vector<std::string>& texts) const;
  void writeMultiText(std::string_view name, const std::vector<std::string>& texts,
                      std::error_code& ec) const;
  void writeNumber(std::string_view name, uint32_t number) const;
  void writeNumber(std::string_view name, uint32_t number, std::error_code& ec) const;
  void writeNumberBigEndian(std::string_view name, uint32_t number) const;
  void writeNumberBigEndian(std::string_view name, uint32_t number, std::error_code& ec) const;
  void writeNumber64(std::string_view name, uint64_t number) const;
  void writeNumber64(std::string_view name, uint64_t number, std::error_code& ec) const;
  void writeBinary(std::string_view name, const std::vector<uint8_t>& bytes) const;
  void writeBinary(std::string_view name, const std::vector<uint8_t>& bytes,
                   std::error_code& ec) const;
  // Any type with the bytes as given (REG_NONE among them).
  void writeValue(std::string_view name, ValueType type, const std::vector<uint8_t>& bytes) const;
  void writeValue(std::string_view name, ValueType type, const std::vector<uint8_t>& bytes,
                  std::error_code& ec) const;

  // Listings, in the platform's order (subkeys by upper-cased name; values
  // in the order they were created on Windows).
  std::vector<std::string> subKeyNames() const;
  std::vector<std::string> subKeyNames(std::error_code& ec) const;
  std::vector<Value> values() const;
  std::vector<Value> values(std::error_code& ec) const;

  // 2 when there is no such value.
  void deleteValue(std::string_view name) const;
  void deleteValue(std::string_view name, std::error_code& ec) const;
  // Deletes a subkey that has no subkeys of its own (5 when it has).
  void deleteKey(std::string_view path) const;
  void deleteKey(std::string_view path, std::error_code& ec) const;
  // Deletes a subkey with everything below it. Natively, inside a
  // Transaction, all of it goes or none; otherwise a failure part way
  // leaves what was not yet deleted.
  void deleteTree(std::string_view path) const;
  void deleteTree(std::string_view path, std::error_code& ec) const;

  // Hive files, Windows' own format (regf), which Windows loads and
  // libhivex, hivexsh and regedit read. saveTo writes the key's values and
  // its whole tree to a new file (183 when it exists, unless replace), made
  // whole under another name and renamed into place. restoreFrom replaces
  // the key's values and subkeys with the file's: 2 for a missing file,
  // 1009 for one that holds no hive. On Windows these are RegSaveKeyEx and
  // RegRestoreKey, which need the backup (and restore) privilege: 1314
  // when the process may not enable it; natively libhivex writes and reads
  // the file, and a restore is all or nothing (a Transaction of its own).
  void saveTo(std::string_view file, bool replace = false) const;
  void saveTo(std::string_view file, bool replace, std::error_code& ec) const;
  void restoreFrom(std::string_view file) const;
  void restoreFrom(std::string_view file, std::error_code& ec) const;
  // A hive file reached as the key name right below root, HKEY_LOCAL_MACHINE
  // or HKEY_USERS (87 for any other; 183 when the key exists), until
  // unloadHive gives it back (87 for a key that is no loaded hive). On
  // Windows RegLoadKey and RegUnLoadKey, the file in use while loaded.
  // Natively loading copies the hive into the store and records it as
  // Windows lists its hives (HKLM\SYSTEM\CurrentControlSet\Control\hivelist);
  // unloading writes the key's tree back to the file (renamed into place)
  // and then removes the key: a crash while loaded leaves the file as it
  // was and the hive loaded, to be unloaded later.
  static void loadHive(Root root, std::string_view name, std::string_view file);
  static void loadHive(Root root, std::string_view name, std::string_view file,
                       std::error_code& ec);
  // writeBack false (natively) leaves the file as it was loaded, for a
  // reader that changed nothing or a change to be thrown away.
  static void unloadHive(Root root, std::string_view name, bool writeBack = true);
  static void unloadHive(Root root, std::string_view name, bool writeBack, std::error_code& ec);

 private:
  friend class ChangeWatch;
#ifdef _WIN32
  using Handle = uintptr_t;
#else
  using Handle = uint32_t;
#endif
  Key(Handle handle, uint32_t view, std::string name) noexcept;
  static Key openFrom(Handle parent, uint32_t view, const std::string& parentName,
                      std::string_view path, Access access, bool create, std::error_code& ec);

  Handle handle_ = 0;
  uint32_t view_ = 0;
  std::string name_;
};

// Waits for a key to change: a subkey created or deleted or a value set or
// deleted in the key and, with subtree, in any key below it; deleting the
// key itself counts too. Watching begins when the ChangeWatch is made and
// lasts while it lives (the Key must outlive it); wait() answers true once
// something may have changed since then, or since the wait that last
// answered true, and false when the timeout passed first. A wake-up tells
// no more than that: read the key to learn what changed. On Windows it is
// the platform's change notification of the key; natively a notification
// of the store's files, so that any change in the store wakes it, within
// milliseconds of its commit by any process, and waiting reads nothing.
//
//   ChangeWatch watch(key, true);
//   while (watch.wait(std::chrono::seconds(10))) { /* read key again */ }
class ChangeWatch {
 public:
  ChangeWatch(const Key& key, bool subtree);
  ChangeWatch(const Key& key, bool subtree, std::error_code& ec);
  ~ChangeWatch();
  ChangeWatch(const ChangeWatch&) = delete;
  ChangeWatch& operator=(const ChangeWatch&) = delete;

  bool wait(std::chrono::milliseconds timeout);
  bool wait(std::chrono::milliseconds timeout, std::error_code& ec);

 private:
  struct Signal;
  static std::unique_ptr<Signal> start(const Key& key, bool subtree, std::error_code& ec);
  std::string name_;
  std::unique_ptr<Signal> signal_;
};

// Groups the registry changes made while it lives: commit() makes them all
// stand, and a Transaction that goes uncommitted leaves none of them.
// Natively each store file commits atomically (a transaction over both the
// user and the machine store commits one file after the other). On Windows
// the registry functions have no transactions: every change applies at
// once, commit() succeeds and abandoning undoes nothing. Not nestable.
class Transaction {
 public:
  Transaction();
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void commit();
  void commit(std::error_code& ec);

 private:
  struct Group;
  std::unique_ptr<Group> group_;
};

}  // namespace zarn::registry
