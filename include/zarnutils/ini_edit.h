// IniEdit: reads and writes single entries of INI files and lists their
// sections and entries.
//
//   zarn::IniEdit ini;
//   ini.WriteValue("/tmp/app.ini", "Server", "Port", 8080);        // true
//   ini.ReadValue("/tmp/app.ini", "Server", "Port", "N", 0);       // Long 8080
//   ini.ReadValue("/tmp/app.ini", "Server", "Host", "S", "local"); // "local"
//
// FILES. sFile is a file name; pass a full path (on Windows a name without a
// folder is looked for in the Windows folder, natively in the working
// folder). Section and entry names match without regard to letter case and
// keep the case they were first written with; blanks and tabs around names
// and values do not count, and one pair of matching quotes around a value is
// removed when it is read. Only a line whose first non-blank character is
// ';' is a comment. The first of two sections or entries of the same name
// wins; entries before the first [section] are not read. Files may use CRLF,
// LF or CR line ends, start with a UTF-8 byte order mark, or be UTF-16LE or
// UTF-16BE with its byte order mark; a write keeps the file's encoding. A
// NUL byte ends the name or value it falls in.
//
// TYPE LETTERS (sType of ReadValue): "S" text, "N" integer, in either case,
// compared as a whole.
//
// RESULTS. No method of IniEdit fails: every failure inside one (a missing
// or unreadable file, a value without the needed form) gives its fallback
// result, a copy of the default, false, or "", and its CallStatus is success.
// A caller cannot tell a missing file from an empty one; the INI API of
// ini_file.h, and the `zarnutils ini` verbs over it, can.
//
// THE TWO FORMS OF EACH METHOD. The automation-shaped form takes Text
// (UTF-16) and variants and writes its result into its last parameter; the
// UTF-8 form takes std::string_view and variants (which convert implicitly
// from C++ values, variant.h) and returns the result as a std::string
// (UTF-8; NULs stay NUL bytes), a Variant or a bool. Neither reports a
// failure of the file work; the UTF-8 form throws AutomationError 5
// ("Invalid procedure call or argument") for a text argument that is not
// UTF-8, rather than turning its bytes into U+FFFD and two different names
// into one, and std::bad_alloc can escape it. The list forms decode as the
// UTF-8 form does. In every form, a file, section or entry name holding a
// NUL (which would end the name there) or text the system's code page
// cannot hold gives the fallback result without touching any file.
//
// On Windows the platform's profile functions do the file work, in the
// system's code page; natively our INI engine follows the same rules, writes
// a file in one step (never left half-written) and changes only the bytes
// the write must. An object holds no state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "zarnutils/call_status.h"
#include "zarnutils/text.h"
#include "zarnutils/variant.h"

namespace zarn {

class IniEdit {
 public:
  // ---- Automation-shaped methods, in interface order ----

  // Reads entry sName of section sSection of sFile in the form sType names.
  //   "S": a String: the entry's value, at most 254 characters (never a
  //     split character). When the file, section or entry is missing, or the
  //     file cannot be read: vDefault's text form as a String (5 gives "5");
  //     vDefault itself when it has no text form (Null).
  //   "N": a Long: the value's leading number, as the platform reads one
  //     (0x, 0o and 0b prefixes; it stops at the first non-digit, so text
  //     gives 0). When missing or empty: vDefault as a Long when it is
  //     numeric, else 0; vDefault itself when it does not fit a Long.
  //   Another letter: vDefault unchanged; no file is read.
  //   status: always success.
  CallStatus ReadValue(Text sFile, Text sSection, Text sName, Text sType, Variant vDefault,
                       Variant& result);

  // Sets entry sName of section sSection of sFile to vValue's text form
  // (a Boolean as "True"/"False"): replaces the first entry of that name,
  // else adds the entry at the end of its section, else adds the section at
  // the end of the file; a missing file is created.
  //   result: true when the file holds the new entry. False, with nothing
  //     written, when vValue has no text form (Null); when the section, name
  //     or value holds a line break, the section or name is empty, the name
  //     holds '=' or starts with ';' or '[', or the section holds ']' (none
  //     of these could be read back as written); when the folder is missing
  //     or the file cannot be written.
  //   status: always success.
  CallStatus WriteValue(Text sFile, Text sSection, Text sName, Variant vValue,
                        AutomationBoolean& result);

  // Lists the section names of sFile as written, duplicates included,
  // separated by single NULs (U+0000), none after the last, in file order.
  //   result: the listing; "" for a missing or unreadable file, or one
  //     without sections.
  //   status: always success.
  CallStatus EnumSections(Text sFile, Text& result);

  // Lists the lines of the first section sSection of sFile, separated by
  // single NULs, none after the last: "name=value" with the blanks around
  // both removed and quotes kept, or the line itself when it has no '=';
  // comments and blank lines are left out.
  //   result: the listing; "" for a missing file or section.
  //   status: always success.
  CallStatus EnumValues(Text sFile, Text sSection, Text& result);

  // ---- UTF-8 forms: the same methods, results returned ----

  Variant ReadValue(std::string_view sFile, std::string_view sSection, std::string_view sName,
                    std::string_view sType, const Variant& vDefault);
  bool WriteValue(std::string_view sFile, std::string_view sSection, std::string_view sName,
                  const Variant& vValue);
  std::string EnumSections(std::string_view sFile);
  std::string EnumValues(std::string_view sFile, std::string_view sSection);

  // ---- List forms of the two listings ----
  // The listing of EnumSections or EnumValues cut at its NULs, each item in
  // UTF-8: the section names, or the section's lines ("name=value", or the
  // line itself when it has no '='). A missing or unreadable file, section
  // or listing gives an empty vector. Bytes that are not UTF-8 throw
  // AutomationError 5, as the UTF-8 forms do; nothing else fails them but
  // std::bad_alloc.

  std::vector<std::string> ListSections(std::string_view sFile);
  std::vector<std::string> ListValues(std::string_view sFile, std::string_view sSection);
};

}  // namespace zarn
