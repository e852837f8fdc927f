// INI files as C++ types: a File names one; values are read whole, with a
// missing entry told apart from an empty one; errors come as exceptions or
// std::error_code.
//
//   zarn::ini::File settings("/etc/example/app.ini");
//   settings.writeText("Server", "Port", "8080");
//   std::optional<std::string> port = settings.readText("Server", "Port");  // "8080"
//   std::string host = settings.readText("Server", "Host", "localhost");    // no such entry
//
// Text (file, section and entry names, values) is UTF-8 on every target.
// The file work is IniEdit's, under the rules ini_edit.h states: on Windows
// the platform's profile functions, in the system's code page; natively our
// INI engine. Section and entry names match without regard to letter case;
// blanks around names and values do not count; the first of two sections
// or entries of the same name wins. Pass full paths: on Windows a name
// without a folder is looked for in the Windows folder.
//
// Reading never fails on the file: a missing or unreadable file reads as
// one without sections, a missing section as one without entries.
//
// Errors. Every operation that can fail has two forms, as std::filesystem
// has: one throws Error, which carries the reason and the file; the other
// takes a std::error_code& last, is noexcept apart from std::bad_alloc,
// fills the code (category iniCategory()) and answers an empty result.
// Text that is not UTF-8, a name holding a NUL (which would end it early
// and reach another file, section or entry), text the system's code page
// cannot hold (Windows; it would reach the file changed) and, for writes
// and deletes, a name or value the file format cannot hold (below) are
// refused before any file is touched: the codes of Refusal. A write the
// platform refuses has the platform's own reason as its code (errno
// natively, the last error on Windows), which message() puts in words
// ("permission denied", "folder missing", "disk full"...).
//
// What the format can hold: no part may hold a line break or a NUL; a
// section or entry name may not be empty once blanks are removed; a
// section name may not hold ']', nor an entry name '=' or start with ';'
// or '['.
//
// Several changes as one write. A Changes lists sets and deletions;
// File::apply makes them in order in one write of the file, which nothing
// sees half done, and writes nothing when the file already holds them:
//
//   zarn::ini::Changes changes;
//   changes.set("Server", "Port", "8080").set("Server", "Host", "example.org");
//   changes.deleteEntry("Server", "Debug");
//   zarn::ini::Applied applied = settings.apply(changes);  // applied.changed: anything differed
//
// Natively the engine edits the file under its lock and renames the new
// file into place, as every write does; two processes applying at once
// each see the other's changes. On Windows the platform's profile
// functions make the changes on a copy beside the file, which then
// replaces it (ReplaceFile keeps its attributes and security); a lock
// named after the file keeps two of our applies from crossing, not other
// programs' writes.
//
// Threads. A File holds only its name: any number of threads may use one
// at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>
#include <vector>

namespace zarn::ini {

// The library's own refusals, negative so that they never meet the
// platform's reasons, which are positive. message() gives the words quoted.
enum class Refusal : int {
  NotUtf8 = -1,        // "not valid UTF-8"
  FileName = -2,       // "a file name holding a NUL"
  SectionName = -3,    // "a section name the file format cannot hold": a NUL, or for writeText
                       // any rule above
  KeyName = -4,        // "a key name the file format cannot hold": as SectionName
  Value = -5,          // "a value the file format cannot hold": a line break or NUL
  Name = -6,           // "a name the file format cannot hold": a delete's section or key, which
                       // no entry could have
  NotInCodePage = -7,  // "text the system code page cannot hold" (Windows)
};

// The category of every code the API fills: the refusals and the
// platform's reasons, each with its words.
const std::error_category& iniCategory();
std::error_code make_error_code(Refusal refusal);

// What the operation that threw concerned: its reason, and the file.
// what() is "FILE: reason".
class Error : public std::system_error {
 public:
  Error(std::error_code code, std::string file);
  const std::string& file() const noexcept { return file_; }

 private:
  std::string file_;
};

// One line of a section, as the platform lists it.
struct Entry {
  std::string name;                  // blanks around it removed; the whole line when it has no '='
  std::optional<std::string> value;  // as readText reads it; nothing when the line has no '='
  std::string line;  // the line: name=value, blanks around both removed, quotes kept
};

// A list of changes to one file, made in order by File::apply.
class Changes {
 public:
  struct Change {
    std::string section;
    std::optional<std::string> key;    // nothing: the whole section is deleted
    std::optional<std::string> value;  // nothing: the entry is deleted
  };

  // As writeText, deleteEntry and deleteSection would; each returns *this.
  Changes& set(std::string_view section, std::string_view key, std::string_view value);
  Changes& deleteEntry(std::string_view section, std::string_view key);
  Changes& deleteSection(std::string_view section);

  const std::vector<Change>& list() const noexcept { return changes_; }
  bool empty() const noexcept { return changes_.empty(); }

 private:
  std::vector<Change> changes_;
};

// What one change did, or would do: an entry or section made, given another
// value, already as asked (a deletion of what is not there too), removed.
enum class Outcome { Created, Changed, Unchanged, Deleted };

struct ChangeResult {
  Outcome outcome = Outcome::Unchanged;
  std::optional<std::string> before;  // the entry's value as read before the change, when it was
                                      // there (nothing for a section)
};

// What File::apply found: one result per change, in order; whether the
// file's text changed (was written, or checked only, would be); its text
// before and after in UTF-8, for showing the difference.
struct Applied {
  std::vector<ChangeResult> results;
  bool changed = false;
  std::string before;
  std::string after;
};

// Whether File::apply writes the changes or only tells what they would do.
enum class ApplyMode { Write, Check };

class File {
 public:
  explicit File(std::string path) : path_(std::move(path)) {}
  const std::string& path() const noexcept { return path_; }

  // The section names as written, duplicates included, in file order.
  std::vector<std::string> sectionNames() const;
  std::vector<std::string> sectionNames(std::error_code& ec) const;
  // Whether the file has a section of that name (compared as the profile
  // functions compare names: letter case and surrounding blanks aside).
  bool hasSection(std::string_view section) const;
  bool hasSection(std::string_view section, std::error_code& ec) const;
  // The lines of the first section of that name, comments and blank lines
  // left out; none when there is no such section.
  std::vector<Entry> entries(std::string_view section) const;
  std::vector<Entry> entries(std::string_view section, std::error_code& ec) const;

  // The entry's whole value, however long, blanks around it and one pair
  // of matching quotes (" or ') removed; nothing when the file, section or
  // entry is missing. An entry "Key=" is there and empty.
  std::optional<std::string> readText(std::string_view section, std::string_view key) const;
  std::optional<std::string> readText(std::string_view section, std::string_view key,
                                      std::error_code& ec) const;
  // The value, or fallback when there is no such entry.
  std::string readText(std::string_view section, std::string_view key,
                       std::string_view fallback) const;
  // The value read as the profile functions read numbers: 0x, 0o and 0b
  // prefixes, an optional sign, digits up to the first that does not
  // belong (12abc is 12, abc is 0), wrapping modulo 2^32. Nothing when the
  // entry is missing or empty.
  std::optional<int32_t> readInteger(std::string_view section, std::string_view key) const;
  std::optional<int32_t> readInteger(std::string_view section, std::string_view key,
                                     std::error_code& ec) const;
  int32_t readInteger(std::string_view section, std::string_view key, int32_t fallback) const;
  // The fallback forms throw every error but a missing entry.

  // Sets the entry: replaces the first entry of that name in the first
  // section of that name, else adds it at the end of the section, else adds
  // the section at the end of the file; a missing file is created.
  void writeText(std::string_view section, std::string_view key, std::string_view value) const;
  void writeText(std::string_view section, std::string_view key, std::string_view value,
                 std::error_code& ec) const;
  // Delete the entry, or the section with all its entries; nothing to
  // delete is no error.
  void deleteEntry(std::string_view section, std::string_view key) const;
  void deleteEntry(std::string_view section, std::string_view key, std::error_code& ec) const;
  void deleteSection(std::string_view section) const;
  void deleteSection(std::string_view section, std::error_code& ec) const;

  // Makes every change, in order, in one write (above); with Check, writes
  // nothing and answers what a Write would. Each change's names and value
  // are checked as the single operation checks them, all before the file
  // is touched; a refusal or a failed write leaves the file as it was.
  Applied apply(const Changes& changes, ApplyMode mode = ApplyMode::Write) const;
  Applied apply(const Changes& changes, ApplyMode mode, std::error_code& ec) const;
  // Every value of the entries of that name in the first section of that
  // name, in file order: readText gives the first of them.
  std::vector<std::string> readAllText(std::string_view section, std::string_view key) const;
  std::vector<std::string> readAllText(std::string_view section, std::string_view key,
                                       std::error_code& ec) const;

 private:
  std::string path_;
};

}  // namespace zarn::ini

namespace std {
template <>
struct is_error_code_enum<zarn::ini::Refusal> : true_type {};
}  // namespace std
