#include "usage_text.h"

#include <cstdio>

#include "admin_verbs.h"
#include "automation/text.h"
#include "component/class_description.h"
#include "component/library_identity.h"

namespace zarn::cli {

std::string parameterList(const MethodDescription& method) {
  std::string list;
  for (const ParameterDescription& parameter : method.parameters) {
    if (!list.empty()) list += ' ';
    const std::string name = textToUtf8(parameter.name);
    list += parameter.optional ? "[" + name + "]" : name;
  }
  return list;
}

namespace {

// The one text of --help and of the manual page, which
// tools/manual/help-to-man.sh lays out for man at build time: a line
// "Heading:" starts a section, flush-left lines are paragraphs, indented
// lines are kept as laid out. Indented lines stay within 73 columns, so that
// the manual's indented blocks fit 80.
constexpr const char* introduction =
    R"(Calls the methods of the ZarnUtils classes Regedit, IniEdit and Registry
by late binding, as a script would, and prints their results.

Usage:
  zarnutils [--com [--early]] [--json | --raw] CLASS.METHOD [ARG...]
  zarnutils [--com [--early]] [--json | --raw] CLASS.#ID [ARG...]
  zarnutils [--com [--early]] --batch
)";

constexpr const char* classes = R"(  zarnutils --help | -V | --version

CLASS is Regedit, IniEdit or Registry (or the ProgID ZarnUtils.Regedit,
ZarnUtils.IniEdit, ZarnUtils.Registry) and METHOD a method name, both
case-insensitive; each call is made on a new object. #ID calls
by dispatch identifier, hex with 0x or decimal. An unknown class, method or
identifier is a failed call (error 438), as in a script.

By default the classes built into zarnutils answer. --com (Windows only)
creates the registered ZarnUtils.Regedit or ZarnUtils.IniEdit object of
ZarnUtils.dll instead and calls it through IDispatch, looking the method up
by name; --com --early calls it through the class's interface. Everything
else stays the same; a class that cannot be created fails with error 429.

Methods:
Each method with its dispatch identifier and parameters ([..] is optional):
)";

constexpr const char* details = R"(
Arguments:
Arguments are text unless written as one of these (in lower case):
  i:N       Long, as i:80 or i:-1
  b:true    Boolean True; b:false is False
  d:X       Double, as d:2.5 or d:1e10
  null      Null
  empty     Empty
  s:TEXT    the text TEXT, for text that starts like one of these forms
            (a Windows path such as d:\x.ini is written s:d:\x.ini)
  x:TEXT    TEXT with the escapes \\ \t \n \r \0 \uXXXX, for
            characters that a batch field cannot hold (tab, line break,
            NUL)
  a:ITEMS   an array of the ;-separated ITEMS, each in these forms, as
            a:one;two or a:i:1;i:255 (a: alone is an empty array)
A missing trailing argument is omitted: EnumKeys then gets its "," and a
required parameter fails the call with error 449.

Output:
  (default) the result's text form: True/False for a Boolean, Null for
            Null, nothing for Empty; each NUL of a listing starts a new
            line.
  --raw     the result's text as exact UTF-8 bytes, NULs kept, nothing
            added.
  --json    one line {"type":"Long","value":80}; type is the Visual Basic
            TypeName (String, Long, Boolean, Empty, Null, Integer,
            Double); Empty and Null have the value null; NUL appears as
            \u0000.
A failed call prints "error 9: Subscript out of range" on standard error
(with --json {"error":9,"message":"Subscript out of range"} on standard
output) and exits with 1.

Batch mode:
--batch reads calls from standard input, one per line, fields separated by
tabs: CLASS.METHOD, then the arguments written as above. It writes one
--json line per call, in order; a failed call does not stop the batch, and a
line that does not say what to call answers {"usage":"..."}. Lines may end
in LF or CRLF; empty lines are skipped.

Administrative verbs:
The methods answer as the component does, so their exit code does not tell
a failure from a result; these verbs exit with 1 when they fail.
  reg       reg.exe's verbs with its switches (/v /ve /va /s /t /d /se
            /f /y, written / or -, any case), output and messages;
            "zarnutils reg VERB /?" shows one. export writes a .reg file
            (5.00, UTF-16LE; --regedit4 for the 8-bit form); import skips
            the lines Windows skips, naming each on standard error
            (--strict: applies nothing of such a file). apply makes
            the registry hold what a .reg file says, writing only what
            differs (exit 0: nothing to change, 2: changed; --check,
            --diff, --exact, --undo FILE); compare --patch FILE writes
            the difference as a .reg file. /reg:32 and /reg:64 choose
            the registry view on Windows; the native store has one
            view, which both name. Questions are answered no when
            standard input is not a terminal; /f or /y skips them.
  ini       get FILE SECTION KEY [--default VALUE] [--type int|bool]
            [--all] (the whole value; a missing file, section or entry
            fails unless --default gives one; --type int reads it as
            GetPrivateProfileInt does and refuses a value that is no
            number, --type bool takes true/false, yes/no, on/off,
            1/0 in any case; --all every value of a repeated entry),
            set FILE SECTION KEY VALUE [KEY VALUE...], apply FILE
            FRAGMENT|- (an INI fragment: NAME=VALUE, -NAME, [-SECTION]),
            both in one write of the file, reporting each entry as
            created, changed, unchanged or deleted, with --check (write
            nothing), --diff (a unified difference) and
            --detailed-exitcodes (exit 3 when anything changed),
            del FILE SECTION [KEY] (an entry or the whole section), list
            FILE [SECTION] [--format=sh|lines]. "zarnutils ini VERB
            --help" shows one.
On Windows both go through the narrow (ANSI) registry and profile functions:
text outside the system's code page does not survive there. --help after
either, or after one of their verbs, prints its help.

Options of the verbs, written before reg or ini:
  --json    the data as one JSON document on one line, whose schema
            docs/cli.md describes. reg query prints the key as
            {"path", "values", "subkeys"} (with /s each subkey the
            same way), each value {"name", "type", "data"} with data as
            text, a number, an array of strings (REG_MULTI_SZ) or hex
            text; a search (/f) prints {"path", "matches", "found",
            "count"}, found true or false as in ini get and count
            the number of matches; reg compare prints {"first",
            "second", "identical", "lines"}; ini get prints {"file",
            "section", "key", "value", "found"}, the value a string,
            a number (--type int) or true/false (--type bool), or
            {"file", "section", "key", "values"} with --all; ini
            list prints {"file", "sections"} or {"file",
            "section", "entries": [{"name", "value"}...]}; ini set
            and apply print {"file", "changed", "written", "changes":
            [{"outcome", "section", "key", "value", "before"}...]}
            (and "diff" with --diff). Errors stay text on standard
            error.
  -q, --quiet
            no success messages: only data and errors are printed.
"-" is standard input for reg import and standard output for reg export.
Whenever the data goes to standard output, messages go to standard error.
A reg verb's failure is reg.exe's message, then a line naming the key,
value, file or word and the reason ("zarnutils reg: no such key
HKEY_CURRENT_USER\Software\X", "zarnutils reg: unknown type
'REG_DWORDX'"); the ini verbs' errors name them too ("zarnutils ini:
cannot open /x.ini: No such file or directory").

Environment:
  ZARNUTILS_REGISTRY_DIR
            Linux: the folder of both registry store files, instead of
            the places under Files. Set but empty, it is refused by name
            and every registry call answers status 10, rather than
            falling back to the real stores.
  XDG_DATA_HOME
            Linux: the base of the user store's folder; ~/.local/share
            when unset or empty.

Files:
On Windows the registry is the system's. On Linux it is two SQLite files,
both in $ZARNUTILS_REGISTRY_DIR when that is set:
  $XDG_DATA_HOME/zarnutils/user.sqlite3
            HKEY_CURRENT_USER, made with mode 0600 on the first write.
  /var/lib/zarnutils/machine.sqlite3
            HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_USERS and
            HKEY_CURRENT_CONFIG; writable only by the folder's owner, so
            other users' writes there answer status 5 (access denied).
Reading a store that does not exist yet creates nothing.

Exit status:
  0         the call was made, whatever the method answered (the methods
            report failures in their results: the default, False, "" or
            a status code as text); a verb succeeded; --batch read all
            its input, failed calls included.
  1         the call failed (error 9 for an empty registry path, 438 for
            an unknown class or method, 449 or 450 for too few or too
            many arguments); a verb failed; a usage error of a reg verb,
            as reg.exe.
  2         a usage error of zarnutils or of an ini verb; reg compare
            found the keys different.
  3         ini set or apply with --detailed-exitcodes changed the file
            (with --check: would change it).

Examples:
  zarnutils Regedit.WriteValue 'HKCU\Software\Demo\Port' D i:80
  zarnutils --json Regedit.ReadValue 'HKCU\Software\Demo\Port' D i:0
      {"type":"Long","value":80}
  zarnutils Regedit.EnumKeys 'HKCU\Software' ', '
  zarnutils --raw Regedit.EnumValues 'HKCU\Software\Demo' | tr '\0' '\n'
  zarnutils IniEdit.WriteValue /tmp/demo.ini Main Size i:12
  zarnutils IniEdit.ReadValue /tmp/demo.ini Main Size N i:0
  zarnutils Regedit.#0x60030009 'HKCU\Software\Demo\Port' D empty
  printf 'Regedit.DeleteValue\tHKCU\\Software\\Demo\\Port\n' |
      zarnutils --batch
  zarnutils reg query 'HKCU\Software\Demo' /s
  zarnutils reg export 'HKCU\Software\Demo' demo.reg /y
  zarnutils ini get /tmp/demo.ini Main Size
  zarnutils ini get /tmp/demo.ini Main Size --type int --default 10
  zarnutils --json ini list /tmp/demo.ini Main | jq -r '.entries[].name'
  zarnutils --json reg query 'HKCU\Software\Demo' /s | jq .subkeys
  zarnutils reg export 'HKCU\Software\Demo' - | zarnutils -q reg import -
)";

std::string methodLine(std::u16string_view className, const MethodDescription& method) {
  std::string line = "  " + textToUtf8(className) + "." + textToUtf8(method.name);
  char id[16];
  std::snprintf(id, sizeof id, "  #0x%08X ", static_cast<unsigned>(method.dispatchId));
  line.resize(std::max<size_t>(line.size(), 23), ' ');
  line += id;
  const std::string parameters = parameterList(method);
  if (!parameters.empty()) line += " " + parameters;
  if (method.kind == MemberKind::PropertyGet) line += " (property)";
  return line + "\n";
}

// "  zarnutils [-q] [--json] reg query|add|...": the completion reads these.
// Verbs past the width of the manual's synopsis (80 columns less its
// indent) go on a line of their own.
std::string adminVerbLines(const AdminVerb& verb) {
  constexpr size_t widest = 73;
  const std::string start = "  zarnutils [-q] [--json] " + std::string(verb.name);
  std::string lines, line = start;
  char between = ' ';
  for (const std::string& name : verb.verbNames()) {
    if (between == '|' && line.size() + 1 + name.size() > widest) {
      lines += line + "\n";
      line = start;
      between = ' ';
    }
    line += between + name;
    between = '|';
  }
  return lines + line + verb.usageArguments + "\n";
}

}  // namespace

std::string usageText() {
  std::string text = introduction;
  for (const AdminVerb& verb : adminVerbs()) text += adminVerbLines(verb);
  text += classes;
  for (const ClassDescription* description : describedClasses()) {
    // Each call makes a new object, so a property is only ever read.
    for (const MethodDescription& method : description->methods) {
      if (method.kind != MemberKind::PropertyPut)
        text += methodLine(description->className, method);
    }
  }
  return text + details;
}

std::string versionText() {
  return "zarnutils " ZARN_PRODUCT_VERSION " (type library " +
         std::to_string(identity::versionMajor) + "." + std::to_string(identity::versionMinor) +
         ")\n";
}

std::string usageHint() {
  return "usage: zarnutils [--com [--early]] [--json | --raw] CLASS.METHOD [ARG...] | --batch |"
         " [-q] [--json] reg|ini VERB ... | --help | --version\n";
}

}  // namespace zarn::cli
