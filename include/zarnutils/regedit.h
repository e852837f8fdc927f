// Regedit: reads, writes, lists and deletes registry keys and values named
// by one path string, and reads and writes INI entries as text.
//
//   zarn::Regedit registry;
//   registry.WriteValue("HKCU\\Software\\App\\Port", "D", 8080);  // true
//   registry.ReadValue("HKCU\\Software\\App\\Port", "D", 80);     // Long 8080
//   registry.EnumKeys("HKCU\\Software\\App");                   // ""
//
// PATHS. A path (sKey) is a root name, then key names, then, for ReadValue,
// WriteValue, DeleteKey and DeleteValue, the name of the value or subkey
// acted on, all separated by backslashes: "HKLM\Software\Vendor\App\Port".
// The root names, in any letter case, are HKLM or HKEY_LOCAL_MACHINE, HKCU
// or HKEY_CURRENT_USER, HKU or HKEY_USERS, HKCC or HKEY_CURRENT_CONFIG, HKCR
// or HKEY_CLASSES_ROOT and HKDD or HKEY_DYN_DATA; anything else, blanks
// around a name included, is an unknown root. A path ending in a backslash
// names the key's default (unnamed) value, or for DeleteKey the key
// itself. For those four, a path of one segment ("HKCU") names a value or
// subkey of that name directly under the root. Key and value names compare
// without regard to letter case and keep the case they were written with.
//
// TYPE LETTERS (sType): "S" text, "B" boolean (2 bytes), "D" 32-bit number,
// in either case, compared as a whole: "Str", "" and " S" are other letters.
//
// RESULTS. Only an empty sKey fails a registry method (error 9, "Subscript
// out of range", before any registry work). Everything else the registry
// answers is a return value: the value read or the caller's default, true
// or false, the listing or the registry's status code written as decimal
// text. The status codes that reach a caller that way:
//   2     the key (or value) does not exist
//   5     access denied: the store may not be written (the machine store
//         for a user who does not own it), or the key still has subkeys
//   6     the root does not exist on this platform (HKEY_DYN_DATA)
//   10    native only: ZARNUTILS_REGISTRY_DIR is set but empty
//         (store_location.h); every registry call fails so
//   87    a key name over 255 characters or a value name over 16,383, or
//         a key path or value name holding a NUL or text the narrow code
//         page cannot hold (the registry's narrow functions would end the
//         name at the NUL or put "?" in place of the character, and name
//         another key or value)
//   99    unknown root: nothing was opened
//   161   the key path begins with a backslash ("HKCU\\Software")
//   1016  native only: the store's file could not be read or written
// A caller that must tell a listing from a status needs the listing to hold
// no name made of digits alone: a missing key lists as "2", and so does a key
// whose one subkey is named 2.
//
// THE FORMS OF EACH METHOD. The automation-shaped form takes Text (UTF-16)
// and variants, writes its result into its last parameter and returns a
// CallStatus: on failure the result is the empty text, Empty or false, and
// the status carries the error number. It never throws. The UTF-8 form takes
// std::string_view (decoded from UTF-8; bytes that are not UTF-8 throw
// AutomationError 5, "Invalid procedure call or argument", so that two
// different names never become one) and variants, which convert implicitly
// from C++ values (variant.h: 80 is a Long, "x" a String, true a Boolean),
// and returns the result: a std::string (UTF-8; NULs, which separate listed
// entries, stay NUL bytes), a Variant or a bool. Where the automation-shaped
// form's status would be a failure, it throws AutomationError carrying the
// error number. The list forms of the two listings decode as the UTF-8
// forms do. Every form of every registry method refuses the same paths
// before any registry work: error 9 for an empty one, error 5 for bytes
// that are not UTF-8, status 87 for a NUL or text outside the code page.
//
// On Windows the registry is the platform's, reached through the narrow
// (code page) registry functions, so text outside the system's code page
// is refused there (87). Natively it is our SQLite store (store_location.h
// says where it lives). An object holds no state; calls on one object or on
// several are independent, and every key a call opens is closed again
// before it returns.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zarnutils/call_status.h"
#include "zarnutils/text.h"
#include "zarnutils/variant.h"

namespace zarn {

// What the list forms of Regedit throw when the registry answers a listing
// with a status code instead of a list (the EnumKeys and EnumValues of the
// other forms would return the code as text). what() names the key and the
// status: "cannot list HKCU\Software\Missing: status 2".
class RegistryError : public std::runtime_error {
 public:
  RegistryError(int32_t status, std::string_view sKey);
  // The registry's status code: 2, 5, 99, ... (see RESULTS above).
  int32_t status() const { return status_; }

 private:
  int32_t status_;
};

class Regedit {
 public:
  // ---- Automation-shaped methods, in interface order ----

  // Lists the subkeys of the key sKey names: each name followed by sDelim,
  // except that a delimiter of one character is not repeated after the last
  // name ("A,B"; with "; " the listing is "A; B; "). Natively names are
  // sorted by their upper-cased form. Empty segments of sKey are skipped, so
  // a trailing or doubled backslash changes nothing.
  //   result: the listing; "" for a key without subkeys. On failure, the
  //     status code as text: "2" missing key, "5" access denied, "99"
  //     unknown root, "10" or "1016" an unusable store.
  //   status: error 9 for an empty sKey (result "").
  CallStatus EnumKeys(Text sKey, Text sDelim, Text& result);

  // Lists the values of the key sKey names as "name=text" entries separated
  // by single NULs (U+0000), none after the last; natively in the order they
  // were created. Text values show as themselves, 32-bit numbers and 2-byte
  // binary values in decimal, longer numbers or binary values as "Overflow";
  // values of other types are left out. The default value lists with an
  // empty name ("=text"). Segments are taken as they are: a doubled
  // backslash gives 161.
  //   result: the listing; "" for a key without listed values. On failure,
  //     the status code as text: "2", "5", "99", "10", "1016", "161", or the
  //     status of a listed value that could not be read.
  //   status: error 9 for an empty sKey (result "").
  CallStatus EnumValues(Text sKey, Text& result);

  // Deletes the subkey named by the last segment of sKey, or with a trailing
  // backslash the key itself. Only a key without subkeys is deleted; nothing
  // below it is ever removed first.
  //   result: true when deleted. False when it does not exist (2), still has
  //     subkeys (5), may not be written (5), names an unknown root (99), the
  //     store is unusable (10, 1016) or the registry refuses the path (87,
  //     161).
  //   status: error 9 for an empty sKey (result false).
  CallStatus DeleteKey(Text sKey, AutomationBoolean& result);

  // IniEdit::ReadValue with the type letter "S", as text: the entry sItem of
  // section sSection of the INI file sFile, at most 254 characters, or
  // vDefValue's text form when the file, section or entry is missing.
  //   status: error 13 ("Type mismatch") when vDefValue has no text form
  //     (Null), whether or not the entry exists (result "").
  CallStatus ReadIni(Text sFile, Text sSection, Text sItem, Variant vDefValue, Text& result);

  // IniEdit::WriteValue: sets entry sItem of section sSection of sFile to
  // vValue's text form.
  //   result: true when the file holds the entry; false for everything
  //     IniEdit::WriteValue refuses (see ini_edit.h).
  //   status: always success.
  CallStatus WriteIni(Text sFile, Text sSection, Text sItem, Variant vValue,
                      AutomationBoolean& result);

  // Deletes the value named by the last segment of sKey (the default value
  // with a trailing backslash).
  //   result: true when deleted, and also when the value or its key does
  //     not exist. False for an unknown root (99), access denied (5), an
  //     unusable store (10, 1016) or a path the registry refuses (87, 161).
  //   status: error 9 for an empty sKey (result false).
  CallStatus DeleteValue(Text sKey, AutomationBoolean& result);

  // Reads the value named by the last segment of sKey in the form sType
  // names: "S" a String, "B" a Boolean holding the 2 stored bytes as they
  // are (01 00 reads as 1, not -1), "D" a Long. Only the stored size counts,
  // not the stored type: data longer than 2 bytes does not read as "B", nor
  // longer than 4 as "D", while the 2 bytes FF FF of a Boolean read as "D"
  // give 65535.
  //   result: the value read; otherwise vDefault unchanged, of whatever kind:
  //     for a missing key or value (2), data too long for the form, another
  //     type letter, an unknown root (99), access denied (5), an unusable
  //     store (10, 1016) or any other status the registry answers.
  //   status: error 9 for an empty sKey (result Empty).
  CallStatus ReadValue(Text sKey, Text sType, Variant vDefault, Variant& result);

  // Stores vValue as the value named by the last segment of sKey, creating
  // the key and any missing keys above it: "S" its text form (a Boolean as
  // "True"/"False"), "B" its boolean as 2 bytes (any non-zero number is
  // True, FF FF), "D" its Long as 4 bytes (doubles round half to even; text
  // such as "80" or "&HFF" converts). Another type letter creates the key,
  // stores nothing, and returns true.
  //   result: true when stored. False, with nothing stored and no key
  //     created, when vValue does not convert for the letter (Null for "S",
  //     "abc" or 1E10 for "D"); false also for an unknown root (99), access
  //     denied (5, e.g. HKLM for a user who may not write the machine store),
  //     an unusable store (10, 1016) or a name the registry refuses (87).
  //   status: error 9 for an empty sKey (result false).
  CallStatus WriteValue(Text sKey, Text sType, Variant vValue, AutomationBoolean& result);

  // ---- UTF-8 forms: the same methods, results returned, failures thrown ----
  // Each throws AutomationError where its automation-shaped form returns a
  // failed status: error 9 for an empty sKey (the six registry methods),
  // error 13 from ReadIni for a Null default, error 7 when memory runs out;
  // and error 5 for a text argument that is not UTF-8.

  std::string EnumKeys(std::string_view sKey, std::string_view sDelim = ",");
  std::string EnumValues(std::string_view sKey);
  bool DeleteKey(std::string_view sKey);
  std::string ReadIni(std::string_view sFile, std::string_view sSection, std::string_view sItem,
                      const Variant& vDefValue);
  bool WriteIni(std::string_view sFile, std::string_view sSection, std::string_view sItem,
                const Variant& vValue);
  bool DeleteValue(std::string_view sKey);
  Variant ReadValue(std::string_view sKey, std::string_view sType, const Variant& vDefault);
  bool WriteValue(std::string_view sKey, std::string_view sType, const Variant& vValue);

  // ---- List forms of the two listings ----
  // The same listings as EnumKeys and EnumValues, as one UTF-8 string per
  // item; an empty vector for a key without subkeys or listed values.
  //   ListKeys: the subkey names (sorted as EnumKeys sorts them). They are
  //     listed with a backslash between them, which no key name can hold,
  //     so every name comes back whole.
  //   ListValues: the value entries "name=text" as EnumValues lists them.
  //     They are not split into name and text: a value name may itself hold
  //     '=', and the listing does not say which '=' ends the name.
  // A failed listing is never returned as an item: where EnumKeys or
  // EnumValues would return a status code as text, these throw
  // RegistryError carrying it (2 for a missing key, 87 for a NUL in sKey,
  // 99 for an unknown root, ...). An empty sKey throws AutomationError 9,
  // bytes that are not UTF-8 AutomationError 5, and running out of memory
  // AutomationError 7, as the UTF-8 forms do.

  std::vector<std::string> ListKeys(std::string_view sKey);
  std::vector<std::string> ListValues(std::string_view sKey);

 private:
  // The class's private procedures (path resolution and one registry worker
  // per registry method), declared with the implementation.
  struct Procedures;
};

}  // namespace zarn
