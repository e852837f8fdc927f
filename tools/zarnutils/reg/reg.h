// zarnutils reg: the verbs of the platform's reg.exe with its syntax, output
// layout, messages and exit codes, written once for the native store and the platform's
// registry. One file per verb (reg_query.cpp, reg_add.cpp ...) behind this
// header; reg_command.cpp finds them and holds what they say, reg_keys.cpp
// names and walks keys, reg_data.cpp turns value data into text and back,
// and reg_file.h reads and writes .reg files. The registry work goes
// through the public typed API (zarnutils/registry.h) alone; names and
// paths are UTF-8, and value data is in Windows' own form (text as
// UTF-16LE), as .reg files carry it, on every target.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console_streams.h"
#include "zarnutils/registry.h"
#include "zarnutils/text.h"

namespace zarn::cli {

using registry::Root;
using registry::ValueType;

// A registry status code as the platform numbers them (the values of the
// typed API's error codes); the ones the verbs tell apart by name.
using RegistryStatus = int;
namespace registry_status {
constexpr RegistryStatus Success = 0;
constexpr RegistryStatus NotFound = 2;
constexpr RegistryStatus AccessDenied = 5;
constexpr RegistryStatus StoreFailed = 1016;  // the native store's file cannot be read or written
constexpr RegistryStatus KeyDeleted = 1018;
}  // namespace registry_status

// ---- The command line (reg_command.cpp) ----

// reg.exe's command-line form: the verb's fixed words first (key names,
// file names), then switches written /x or -x in any letter case, some of
// which take the next word as their value. Fixed words come first so that a
// Unix path such as /tmp/x.reg is never taken for a switch.
struct SwitchRule {
  const char* name;  // lower case, without the / or -
  bool takesValue;
  // The value may be left out: the next word is the value unless it is one
  // of the verb's switches (query's /v, a name or, with /f, a flag).
  bool valueOptional = false;
};

struct RegArguments {
  std::vector<std::string> fixed;
  std::map<std::string, std::string> switches;  // name -> value, "" for a flag
  std::set<std::string> withoutValue;           // optional values left out

  bool has(const std::string& name) const { return switches.count(name) != 0; }
  const std::string& value(const std::string& name) const { return switches.at(name); }
};

// Nothing when the words break the form: too few fixed words, an unknown or
// repeated switch, a switch without its value, or a stray word; problem
// then names the word ("unknown switch /x").
std::optional<RegArguments> parseRegArguments(const std::vector<std::string>& words,
                                              size_t fixedCount, std::span<const SwitchRule> rules,
                                              std::string& problem);

// /?, /h, -? or -h (any letter case) as the only word asks for the usage;
// reg.exe refuses it beside other words.
bool asksForUsage(const std::vector<std::string>& words);

// Switches, root and type names match in any letter case (ASCII folding, as
// reg.exe's names are ASCII).
bool sameWord(std::string_view left, std::string_view right);
std::string lowerWord(std::string_view word);

// words: everything after "reg". Returns the exit code: 0 success, 1 failure.
int runReg(const std::vector<std::string>& words, ConsoleStreams& console);

// What one run of a verb carries from call to call, handed to every step
// that opens a key or can fail: the streams, the registry view chosen, and
// the note of what failed for the line that runReg adds to reg.exe's
// message (the note's members are in reg_pipeline.cpp).
struct KeyName;

class RegSession {
 public:
  explicit RegSession(ConsoleStreams& streams) : console(streams) {}

  ConsoleStreams& console;

  // The view of /reg:32 and /reg:64: on 64-bit Windows the 32-bit
  // programs' keys (KEY_WOW64_32KEY) or the 64-bit ones (KEY_WOW64_64KEY);
  // without either, the view of the program's own bitness. The native store
  // has one view, which all three name. Every key the verb opens or creates
  // is in the chosen view.
  enum class View { Default, Bits32, Bits64 };
  void useView(View view);
  // The access rights that select the view, added to every open and create.
  registry::Access viewAccess() const { return viewAccess_; }

  // With --hive FILE the verb works on a hive file, loaded for it as
  // HKEY_USERS\mount: every key name's root then stands for the hive's
  // root, and names are shown as written.
  void placeInHive(std::string mount) { hiveMount_ = std::move(mount); }
  // Where a key named so is: the name itself, or its place in the hive.
  KeyName placed(const KeyName& name) const;

  // Remembers what failed and why ("no such key HKEY_CURRENT_USER\Software\X").
  // A later note replaces an earlier one.
  void noteFailure(std::string what) { failureNote_ = std::move(what); }
  // The registry's answer as the note, when the step that failed left none
  // (listing a key just opened, committing the changes).
  void noteStatusUnlessNoted(RegistryStatus status);
  // The note as that line, "zarnutils reg: ...\n", or "" without one; forgets it.
  std::string takeFailureLine();
  // The outcome of opening or creating a key, returned unchanged: a failure
  // is noted with the key's name, a success forgets the note and makes the
  // key the one that value notes name.
  RegistryStatus noteKeyOutcome(const std::string& keyName, RegistryStatus status);
  // The outcome of reading, writing or deleting a value of that key, the
  // same way.
  enum class ValueStep { Read, Write, Delete };
  RegistryStatus noteValueOutcome(const std::string& valueName, RegistryStatus status,
                                  ValueStep step);

 private:
  registry::Access viewAccess_ = registry::Access{};
  std::optional<std::string> hiveMount_;
  std::string failureNote_;
  std::string lastKey_;  // the key last opened or created, as reg.exe names it
};

// Each verb gets its words already split into fixed words and switches.
int regQuery(const RegArguments& arguments, RegSession& session);
int regAdd(const RegArguments& arguments, RegSession& session);
int regDelete(const RegArguments& arguments, RegSession& session);
int regCopy(const RegArguments& arguments, RegSession& session);
int regExport(const RegArguments& arguments, RegSession& session);
int regImport(const RegArguments& arguments, RegSession& session);
int regCompare(const RegArguments& arguments, RegSession& session);
int regApply(const RegArguments& arguments, RegSession& session);
int regWatch(const RegArguments& arguments, RegSession& session);
int regSave(const RegArguments& arguments, RegSession& session);
int regRestore(const RegArguments& arguments, RegSession& session);
int regLoad(const RegArguments& arguments, RegSession& session);
int regUnload(const RegArguments& arguments, RegSession& session);

// The verbs, in the order that the usage names them: the one list that
// dispatch, the usage texts and the shell completion (which reads them) use.
enum class OnHive { No, Reads, Changes };
struct RegVerb {
  const char* name;  // lower case
  size_t fixedCount;
  std::span<const SwitchRule> switches;
  int (*run)(const RegArguments&, RegSession&);
  // "REG QUERY KeyName [/v ValueName | /ve] ..." lines naming every switch,
  // then what they do.
  const char* usage;
  // Whether --hive FILE serves the verb, and whether the file is written
  // back after it.
  OnHive onHive = OnHive::No;
};
std::span<const RegVerb> regVerbs();
std::vector<std::string> regVerbNames();

// ---- What the verbs say (reg_command.cpp) ----
// In Windows reg.exe's words (Wine's reg.exe words some of them
// differently). Errors go to standard error, and every verb that prints one
// exits with 1. Each failure leaves its note in the session, which runReg
// prints as the line after reg.exe's message: the syntax errors take it as
// why, the others find it left by the step that failed.

constexpr int regSucceeded = 0;
constexpr int regFailed = 1;

// "The operation completed successfully." on standard output; returns 0.
int reportSuccess(ConsoleStreams& console);
// "ERROR: Invalid syntax." and where to find the verb's usage, noting why
// ("/v and /ve exclude each other"); returns 1.
int reportInvalidSyntax(RegSession& session, std::string_view verb, std::string why);
// "ERROR: Invalid key name." and where to find the verb's usage, noting
// why (keyNameProblem); returns 1.
int reportInvalidKeyName(RegSession& session, std::string_view verb, std::string why);
// "ERROR: " and the platform's text for a registry status, with the note
// of the step that failed (or the status as the note); returns 1.
int reportStatus(RegSession& session, RegistryStatus status);
// "ERROR: " and the text, noting why unless the step that failed noted it
// (why empty); returns 1.
int reportError(RegSession& session, std::string_view text, std::string why = "");
// The answer to a question was no: nothing was changed; returns 1.
int reportCanceled(RegSession& session);
// The platform's text for a registry status code.
std::string statusText(RegistryStatus status);

// reg.exe's confirmation questions, which /f (or /y) skips. A question is
// answered from standard input only when it is a terminal; otherwise the
// answer is no, and the prompt line says why, so that a script never hangs
// on a question nobody can see.
enum class Answer { Yes, No, All };

// Writes "question (Yes/No)? " (or "(Yes/No/All)? " when all is offered) on
// standard output and reads answers (y, yes, n, no, a, all in any case)
// until one fits; the end of input answers no.
Answer ask(ConsoleStreams& console, std::string_view question, bool offerAll = false);

// ---- Keys (reg_keys.cpp) ----

// A key as reg.exe names it: a root (HKLM or HKEY_LOCAL_MACHINE, in any
// letter case) and the path below it, as typed.
struct KeyName {
  Root root = Root::CurrentUser;
  // UTF-8; empty for the root. From the command line without leading or
  // trailing backslashes; from a .reg file as the file writes it, which the
  // registry takes (reg_file_reader.cpp).
  std::string path;

  // HKEY_LOCAL_MACHINE\Software\Vendor, as reg.exe prints it.
  std::string fullName() const;
  // The key below this one, named as enumeration returned it.
  KeyName child(std::string_view name) const;
  bool isRoot() const { return path.empty(); }
};

// Nothing for an unknown root, a remote key (\\machine\...), or an empty
// name between backslashes.
std::optional<KeyName> parseKeyName(std::string_view written);
// Why parseKeyName refuses the name ("'HKXX\A': HKXX is no root key ...").
std::string keyNameProblem(std::string_view written);

// Whether two names denote the same key (names compare case-insensitively).
bool sameKey(const KeyName& left, const KeyName& right);

struct StoredValue {
  std::string name;  // empty for the default value
  ValueType type = ValueType::None;
  std::string data;  // in Windows' own form: text types as UTF-16LE
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

// A key opened in the session's view, closed when it goes away; its
// outcome is noted in the session.
class OpenedKey {
 public:
  explicit OpenedKey(RegSession& session) : session_(session) {}

  // Opens for reading values and listing subkeys, and for setting and
  // deleting values when writable.
  RegistryStatus open(const KeyName& name, bool writable = false);
  // Opens for everything, creating the key and every missing one above it.
  RegistryStatus create(const KeyName& name);
  const registry::Key& key() const { return key_; }

 private:
  RegistryStatus opened(const KeyName& name, bool create, registry::Access access);
  RegSession& session_;
  registry::Key key_;
};

// path\name, or name below a root (whose path is empty).
std::string childPath(const std::string& path, const std::string& name);

RegistryStatus listSubKeys(const registry::Key& key, std::vector<std::string>& names);
RegistryStatus listValues(const registry::Key& key, std::vector<StoredValue>& values);
// The value of that name among values (in any letter case, as the registry
// matches names), or null.
const StoredValue* findValue(const std::vector<StoredValue>& values, std::string_view name);
// Whether two values hold the same type and bytes.
bool sameData(const StoredValue& left, const StoredValue& right);
// 2 when there is no such value.
RegistryStatus readValue(RegSession& session, const registry::Key& key, const std::string& name,
                         StoredValue& value);
RegistryStatus writeValue(RegSession& session, const registry::Key& key, const StoredValue& value);
RegistryStatus deleteValue(RegSession& session, const registry::Key& key, const std::string& name);

// The key's values and the names of its subkeys, read through one handle.
RegistryStatus readKey(RegSession& session, const KeyName& name, std::vector<StoredValue>& values,
                       std::vector<std::string>& subKeys);

// The key's values and, when recursive, all of its subkeys.
RegistryStatus readTree(RegSession& session, const KeyName& name, bool recursive, KeyTree& tree);

// Deletes the key with everything below it, in the session's view.
RegistryStatus deleteTree(RegSession& session, const KeyName& name);

// ---- Value data (reg_data.cpp) ----

// REG_SZ for 1; a code without a name is shown as reg.exe shows it, 0x...
std::string typeNameOfCode(ValueType type);
// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: data that is UTF-16LE text.
bool isTextType(ValueType type);

// The bytes to store for /d text (UTF-8) of a type, as reg.exe stores them:
//   REG_SZ, REG_EXPAND_SZ, REG_NONE: the text and a NUL;
//   REG_MULTI_SZ: the strings between separators (the two characters \0, or
//     the one character given by /s), each ending in a NUL, then one more NUL;
//     one separator may end the list, but no string between separators may
//     be empty;
//   REG_DWORD, REG_DWORD_BIG_ENDIAN (both little-endian), REG_QWORD: a decimal
//     or 0x hexadecimal number that fits (REG_QWORD: a negative decimal wraps,
//     and no text is 0);
//   REG_BINARY: hexadecimal digits, two per byte (an odd count gets a leading 0).
// Nothing when the text does not fit the type.
std::optional<std::string> dataFromText(ValueType type, std::string_view text,
                                        std::string_view separator);

// Whether /d text is a number as the number types take one (decimal, 0x
// hexadecimal, a negative decimal), whatever its size: what tells data that
// is no number from a number out of the type's range.
bool isNumberText(std::string_view text);

// How a query shows stored bytes (UTF-8): text up to its first NUL; the
// strings of a multi-string joined by separator (\0 unless /se gave one);
// numbers as 0x and lower-case hex; everything else, and numbers of the
// wrong size, as upper-case hex digits.
std::string dataAsText(ValueType type, std::string_view bytes, std::string_view separator);

// A number stored little-endian in bytes (at most 8 of them).
uint64_t numberOfBytes(std::string_view bytes);
// Bytes as upper-case hexadecimal digits, two per byte.
std::string upperHex(std::string_view bytes);

// Text as UTF-16LE bytes, and back (an odd last byte is dropped).
std::string utf16leBytes(std::u16string_view text);
Text textOfUtf16le(std::string_view bytes);

// REG_SZ data as regedit exports and reg copy copies it: the text up to the
// first NUL.
Text textUpToNul(std::string_view data);

// The strings (UTF-8) of REG_MULTI_SZ data, without the empty string that
// ends it.
std::vector<std::string> multiTextStrings(std::string_view data);

}  // namespace zarn::cli
