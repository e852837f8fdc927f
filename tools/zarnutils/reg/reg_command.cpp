// The command line of the reg verbs: the table of verbs with their switches
// and usage, reading switches, and what the verbs say and ask.
#include "reg/reg.h"

#include <algorithm>
#include <iterator>
#include <ostream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>

#include "reg/reg_pipeline.h"

namespace zarn::cli {
namespace {

constexpr SwitchRule querySwitches[] = {
    {"v", true, true}, {"ve", false}, {"s", false}, {"se", true}, {"f", true},
    {"k", false},      {"d", false},  {"c", false}, {"e", false}, {"t", true}};
constexpr SwitchRule addSwitches[] = {{"v", true}, {"ve", false}, {"t", true},
                                      {"s", true}, {"d", true},   {"f", false}};
constexpr SwitchRule deleteSwitches[] = {{"v", true}, {"ve", false}, {"va", false}, {"f", false}};
constexpr SwitchRule copySwitches[] = {{"s", false}, {"f", false}};
constexpr SwitchRule exportSwitches[] = {{"y", false}, {"-regedit4", false}};
constexpr SwitchRule importSwitches[] = {{"-strict", false}};
constexpr SwitchRule compareSwitches[] = {{"v", true},   {"ve", false},   {"oa", false},
                                          {"od", false}, {"os", false},   {"on", false},
                                          {"s", false},  {"-patch", true}};
constexpr SwitchRule applySwitches[] = {
    {"-check", false}, {"-diff", false}, {"-exact", false}, {"-undo", true}};

constexpr SwitchRule saveSwitches[] = {{"y", false}};

constexpr SwitchRule watchSwitches[] = {{"s", false}, {"-count", true}, {"-timeout", true}};

const RegVerb verbs[] = {
    {"query", 1, querySwitches, regQuery,
     "REG QUERY KeyName [/v ValueName | /ve] [/s] [/se Separator]\n"
     "REG QUERY KeyName /f Data [/k] [/v] [/d] [/c] [/e] [/t Types] [/s] [/se Separator]\n"
     "  Lists the values of KeyName and its subkeys; /s the whole tree below it.\n"
     "  /se sets the separator shown between the strings of a REG_MULTI_SZ.\n"
     "  /f searches for Data (* for anything) in subkey names (/k), value names\n"
     "  (/v) and data (/d), all three unless one is named; /c matches letter case,\n"
     "  /e only the whole text; /t limits it to values of the types listed\n"
     "  (REG_SZ,REG_DWORD...).\n",
     OnHive::Reads},
    {"add", 1, addSwitches, regAdd,
     "REG ADD KeyName [/v ValueName | /ve] [/t Type] [/s Separator] [/d Data] [/f]\n"
     "  Type: REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_BINARY, REG_DWORD,\n"
     "  REG_DWORD_BIG_ENDIAN, REG_QWORD, REG_NONE. /s separates the strings of a\n"
     "  REG_MULTI_SZ (default \\0). /f replaces a value without asking.\n",
     OnHive::Changes},
    {"delete", 1, deleteSwitches, regDelete,
     "REG DELETE KeyName [/v ValueName | /ve | /va] [/f]\n"
     "  Without /v, /ve or /va deletes the key with all its subkeys.\n"
     "  /va deletes every value of the key. /f deletes without asking.\n",
     OnHive::Changes},
    {"copy", 2, copySwitches, regCopy,
     "REG COPY KeyName1 KeyName2 [/s] [/f]\n"
     "  Copies the values of KeyName1 into KeyName2; /s its subkeys too.\n"
     "  /f replaces values without asking.\n",
     OnHive::Changes},
    {"export", 2, exportSwitches, regExport,
     "REG EXPORT KeyName FileName [/y] [--regedit4]\n"
     "  Writes the key and everything below it as a .reg file (Windows Registry\n"
     "  Editor Version 5.00, UTF-16LE; --regedit4: REGEDIT4, 8-bit text).\n"
     "  /y replaces an existing file without asking. FileName - writes to\n"
     "  standard output. Text tools such as sed and grep need --regedit4 (or\n"
     "  iconv -f UTF-16LE), since a 5.00 file is UTF-16LE as reg.exe writes it:\n"
     "    zarnutils reg export 'HKCU\\Software\\Demo' - --regedit4 |\n"
     "      sed s/localhost/example.org/ | zarnutils reg import -\n",
     OnHive::Reads},
    {"import", 1, importSwitches, regImport,
     "REG IMPORT FileName [--strict]\n"
     "  Applies a .reg file (5.00, REGEDIT4 or REGEDIT) as Windows does: lines it\n"
     "  cannot use are skipped, each named on standard error with the reason, and\n"
     "  the rest applied. --strict refuses a file with any such line and applies\n"
     "  nothing of it. FileName names a regular file, or is - for standard input;\n"
     "  a file over 1 GiB, or a line over 16 MiB, is refused.\n",
     OnHive::Changes},
    {"compare", 2, compareSwitches, regCompare,
     "REG COMPARE KeyName1 KeyName2 [/v ValueName | /ve] [/oa | /od | /os | /on] [/s]\n"
     "REG COMPARE KeyName1 KeyName2 [/v ValueName | /ve] [/s] --patch FileName\n"
     "  Compares the values of two keys (one value with /v or /ve; with /s the\n"
     "  subkeys too). Shows differences (/od, the default), all (/oa), matches\n"
     "  (/os) or nothing (/on): < the first key's side, > the second's, = both.\n"
     "  --patch writes the differences as a .reg file that REG APPLY turns the\n"
     "  second key into the first with (a snapshot copied now, compared later).\n"
     "  Return code: 0 identical, 2 different, 1 failure.\n",
     OnHive::Reads},
    {"apply", 1, applySwitches, regApply,
     "REG APPLY FileName [--check] [--diff] [--exact] [--undo UndoFile]\n"
     "  Makes the registry hold what a .reg file says, its deletions ([-KEY],\n"
     "  \"name\"=-) included, writing only what differs, and reports each key and\n"
     "  value as created, changed, deleted or unchanged. --check changes\n"
     "  nothing; --diff shows the change as a unified difference; --exact\n"
     "  deletes the values and subkeys of each key the file names that the file\n"
     "  does not name; --undo first writes a .reg file that restores the state\n"
     "  before. FileName - reads standard input; a line that cannot be used\n"
     "  refuses the file. Natively all of it is applied or none.\n"
     "  Return code: 0 nothing to change, 2 changed (--check: would change),\n"
     "  1 failure.\n",
     OnHive::Changes},
    {"save", 2, saveSwitches, regSave,
     "REG SAVE KeyName FileName [/y]\n"
     "  Writes the key and everything below it to a hive file, the registry's own\n"
     "  format, which REG RESTORE, Windows (a loaded hive) and hivex tools read.\n"
     "  /y replaces an existing file without asking. On Windows it needs the\n"
     "  backup privilege (an administrator's).\n"},
    {"restore",
     2,
     {},
     regRestore,
     "REG RESTORE KeyName FileName\n"
     "  Replaces the values and subkeys of the key with those of a hive file\n"
     "  (written by REG SAVE, or a Windows hive such as NTUSER.DAT); all of it or,\n"
     "  natively, nothing when the file cannot be read. On Windows it needs the\n"
     "  backup and restore privileges.\n"},
    {"load",
     2,
     {},
     regLoad,
     "REG LOAD KeyName FileName\n"
     "  KeyName: HKLM\\Name or HKU\\Name. Reaches the hive file (a user's NTUSER.DAT,\n"
     "  an image's SOFTWARE) as that key, for every verb, until REG UNLOAD.\n"
     "  Natively the hive is copied into the store and written back to its file\n"
     "  when it is unloaded. On Windows it needs the backup and restore privileges.\n"},
    {"unload",
     1,
     {},
     regUnload,
     "REG UNLOAD KeyName\n"
     "  Gives back a hive loaded with REG LOAD; natively its key's tree is first\n"
     "  written to the hive file, which is replaced whole.\n"},
    {"watch", 1, watchSwitches, regWatch,
     "REG WATCH KeyName [/s] [--count N] [--timeout Seconds]\n"
     "  Prints a line for every change of the key as it happens: created KEY,\n"
     "  deleted KEY, set KEY    NAME    TYPE    DATA, deleted KEY    NAME; with /s\n"
     "  of every key below it too. Runs until interrupted, until N changes were\n"
     "  printed or until Seconds (fractions allowed) have passed; a deleted\n"
     "  KeyName ends it. Return code: 0 changes seen, 2 none before the timeout,\n"
     "  1 failure.\n"},
};

std::string upperWord(std::string_view word) {
  std::string upper(word);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

void printOverview(ConsoleStreams& console) {
  console.out << "REG Operation [Parameter List]\n  Operation:";
  for (const RegVerb& verb : verbs) {
    console.out << (&verb == verbs ? " " : " | ") << upperWord(verb.name);
  }
  console.out << "\n"
                 "  Return code: 0 success, 1 failure (COMPARE: 2 when the keys differ;\n"
                 "  APPLY: 2 when it changed something; WATCH: 2 when no change came\n"
                 "  before its timeout).\n"
                 "  --hive FILE runs QUERY, EXPORT, COMPARE, ADD, DELETE, COPY, IMPORT or\n"
                 "  APPLY on a hive file, the root of each key name standing for its root.\n"
                 "  /reg:32 or /reg:64 after any operation chooses the 32- or 64-bit registry\n"
                 "  view on Windows; the native store has one view, which both name.\n"
                 "  Type \"REG Operation /?\" for the usage of one operation.\n";
}

// Ends every line in CRLF on its way to the stream below, as reg.exe's
// console output does on Windows, whether to a console, a file or a pipe.
class CrlfBuffer : public std::streambuf {
 public:
  explicit CrlfBuffer(std::ostream& below) : below_(below) {}

 protected:
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (c == '\n') below_.put('\r');
    below_.put(traits_type::to_char_type(c));
    return below_ ? c : traits_type::eof();
  }
  int sync() override { return below_.flush() ? 0 : -1; }

 private:
  std::ostream& below_;
};

// "QUERY, ADD, ... or COMPARE".
std::string operationNames() {
  std::string names;
  for (const RegVerb& verb : verbs) {
    if (&verb != verbs) names += &verb == std::end(verbs) - 1 ? " or " : ", ";
    names += upperWord(verb.name);
  }
  return names;
}

// The name that the verb's first usage line gives its fixed word at index
// ("KeyName2" of REG COPY KeyName1 KeyName2).
std::string fixedWordName(const RegVerb& verb, size_t index) {
  const std::string usage = verb.usage;
  std::istringstream line(usage.substr(0, usage.find('\n')));
  std::string word;
  // REG, the verb, then the fixed words.
  for (size_t read = 0; read < index + 3 && line >> word;) ++read;
  return word;
}

int runVerbInSession(const std::vector<std::string>& words, RegSession& session) {
  ConsoleStreams& console = session.console;
  if (words.empty()) {
    return reportInvalidSyntax(session, "", "an operation expected: " + operationNames());
  }
  if (asksForUsage(words)) {
    printOverview(console);
    return regSucceeded;
  }
  for (const RegVerb& verb : verbs) {
    if (!sameWord(words[0], verb.name)) continue;
    const std::vector<std::string> rest(std::next(words.begin()), words.end());
    if (asksForUsage(rest)) {
      console.out << verb.usage;
      return regSucceeded;
    }
    if (rest.size() < verb.fixedCount) {
      return reportInvalidSyntax(session, verb.name, "missing " + fixedWordName(verb, rest.size()));
    }
    std::string problem;
    const std::optional<RegArguments> arguments =
        parseRegArguments(rest, verb.fixedCount, verb.switches, problem);
    if (!arguments) return reportInvalidSyntax(session, verb.name, problem);
    if (arguments->has("reg:32") && arguments->has("reg:64")) {
      return reportInvalidSyntax(session, verb.name, "/reg:32 and /reg:64 exclude each other");
    }
    session.useView(arguments->has("reg:32")   ? RegSession::View::Bits32
                    : arguments->has("reg:64") ? RegSession::View::Bits64
                                               : RegSession::View::Default);
    return verb.run(*arguments, session);
  }
  session.noteFailure("unknown operation '" + quotedName(words[0]) + "' (" + operationNames() +
                      ")");
  console.err << "ERROR: Invalid argument/option - '" << quotedName(words[0])
              << "'.\nType \"REG /?\" for usage.\n";
  return regFailed;
}

// A name for the hive's key below HKEY_USERS that no other run takes.
std::string hiveMountName() {
  std::random_device random;
  return "ZarnUtilsHive-" + std::to_string(random()) + std::to_string(random());
}

// reg VERB ... --hive FILE: the verb on a hive file, loaded for it and given
// back after; what a verb that changes things wrote goes to the file when
// it succeeded (apply --check changes nothing).
int runOnHive(std::vector<std::string> words, size_t option, RegSession& session) {
  if (option + 1 >= words.size()) return reportInvalidSyntax(session, "", "--hive needs a FILE");
  const std::string file = words[option + 1];
  words.erase(words.begin() + static_cast<std::ptrdiff_t>(option),
              words.begin() + static_cast<std::ptrdiff_t>(option) + 2);
  const RegVerb* verb = nullptr;
  std::string served;
  for (const RegVerb& candidate : verbs) {
    if (candidate.onHive == OnHive::No) continue;
    served += (served.empty() ? "" : ", ") + upperWord(candidate.name);
    if (!words.empty() && sameWord(words[0], candidate.name)) verb = &candidate;
  }
  if (!verb) {
    return reportInvalidSyntax(session, words.empty() ? "" : words[0],
                               "--hive works with " + served);
  }
  const std::string mount = hiveMountName();
  std::error_code ec;
  registry::Key::loadHive(Root::Users, mount, file, ec);
  if (ec) {
    session.noteFailure("cannot load the hive " + quotedName(file) + ": " + ec.message());
    return reportStatus(session, ec.value());
  }
  session.placeInHive(mount);
  const int code = runVerbInSession(words, session);
  const bool checkOnly = std::any_of(words.begin(), words.end(), [](const std::string& word) {
    return sameWord(word, "--check");
  });
  const bool writeBack = verb->onHive == OnHive::Changes && !checkOnly && code != regFailed;
  registry::Key::unloadHive(Root::Users, mount, writeBack, ec);
  if (ec) {
    session.noteFailure("cannot write the hive " + quotedName(file) + ": " + ec.message());
    return reportStatus(session, ec.value());
  }
  return code;
}

int runVerb(const std::vector<std::string>& words, ConsoleStreams& console) {
  RegSession session(console);
  const auto hive = std::find_if(words.begin(), words.end(),
                                 [](const std::string& word) { return sameWord(word, "--hive"); });
  const int code = hive == words.end()
                       ? runVerbInSession(words, session)
                       : runOnHive(words, static_cast<size_t>(hive - words.begin()), session);
  if (code == regFailed) console.err << session.takeFailureLine();
  return code;
}

}  // namespace

std::span<const RegVerb> regVerbs() { return verbs; }

std::vector<std::string> regVerbNames() {
  std::vector<std::string> names;
  for (const RegVerb& verb : verbs) names.emplace_back(verb.name);
  return names;
}

int runReg(const std::vector<std::string>& words, ConsoleStreams& console) {
#ifdef _WIN32
  // Standard error stays in text mode, whose own CRLF a second one would
  // double; only the binary standard output needs the buffer.
  CrlfBuffer outBuffer(console.out);
  std::ostream out(&outBuffer);
  ConsoleStreams crlf{console.in,   out,          console.err, console.inputIsTerminal,
                      console.json, console.quiet};
  crlf.binaryOut = console.binaryOut;
  crlf.outputIsTerminal = console.outputIsTerminal;
  const int code = runVerb(words, crlf);
  out.flush();
  return code;
#else
  return runVerb(words, console);
#endif
}

namespace {

// Every verb takes the registry view.
constexpr SwitchRule viewSwitches[] = {{"reg:32", false}, {"reg:64", false}};

const SwitchRule* findRule(std::span<const SwitchRule> rules, const std::string& name) {
  for (const SwitchRule& rule : rules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

bool looksLikeSwitch(const std::string& word) {
  return word.size() > 1 && (word.front() == '/' || word.front() == '-');
}

}  // namespace

std::optional<RegArguments> parseRegArguments(const std::vector<std::string>& words,
                                              size_t fixedCount, std::span<const SwitchRule> rules,
                                              std::string& problem) {
  if (words.size() < fixedCount) {
    problem = "too few words";
    return std::nullopt;
  }
  RegArguments arguments;
  arguments.fixed.assign(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(fixedCount));
  for (size_t next = fixedCount; next < words.size(); ++next) {
    const std::string written = quotedName(words[next]);
    if (!looksLikeSwitch(words[next])) {
      problem = "unexpected word '" + written + "'";
      return std::nullopt;
    }
    const std::string name = lowerWord(words[next].substr(1));
    const SwitchRule* rule = findRule(rules, name);
    if (!rule) rule = findRule(viewSwitches, name);
    if (!rule) {
      problem = "unknown switch " + written;
      return std::nullopt;
    }
    if (arguments.has(name)) {
      problem = written + " given twice";
      return std::nullopt;
    }
    std::string value;
    const bool valueFollows = next + 1 < words.size() &&
                              !(rule->valueOptional && looksLikeSwitch(words[next + 1]) &&
                                (findRule(rules, lowerWord(words[next + 1].substr(1))) ||
                                 findRule(viewSwitches, lowerWord(words[next + 1].substr(1)))));
    if (rule->takesValue && valueFollows) {
      value = words[++next];
    } else if (rule->takesValue && rule->valueOptional) {
      arguments.withoutValue.insert(name);
    } else if (rule->takesValue) {
      problem = written + " needs a value";
      return std::nullopt;
    }
    arguments.switches.emplace(name, value);
  }
  return arguments;
}

bool asksForUsage(const std::vector<std::string>& words) {
  if (words.size() != 1) return false;
  const std::string& word = words[0];
  return word.size() == 2 && (word[0] == '/' || word[0] == '-') &&
         (word[1] == '?' || word[1] == 'h' || word[1] == 'H');
}

std::string lowerWord(std::string_view word) {
  std::string lower(word);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool sameWord(std::string_view left, std::string_view right) {
  return lowerWord(left) == lowerWord(right);
}

namespace {

struct StatusText {
  RegistryStatus status;
  const char* text;
};

constexpr StatusText statusTexts[] = {
    {registry_status::NotFound,
     "The system was unable to find the specified registry key or value."},
    {registry_status::AccessDenied, "Access is denied."},
    {6, "The handle is invalid."},
    {87, "The parameter is incorrect."},
    {161, "The specified path is invalid."},
    {183, "Cannot create a file when that file already exists."},
    {1009, "The configuration registry database is corrupt."},
    {1016, "An I/O operation initiated by the registry failed unrecoverably."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1314, "A required privilege is not held by the client."},
};

int reportWithUsageHint(ConsoleStreams& console, std::string_view problem, std::string_view verb) {
  const std::string command = verb.empty() ? "REG" : "REG " + upperWord(verb);
  console.err << "ERROR: " << problem << "\nType \"" << command << " /?\" for usage.\n";
  return regFailed;
}

}  // namespace

int reportSuccess(ConsoleStreams& console) {
  if (console.quiet) return regSucceeded;
  console.messages() << "The operation completed successfully.\n";
  return regSucceeded;
}

int reportInvalidSyntax(RegSession& session, std::string_view verb, std::string why) {
  session.noteFailure(std::move(why));
  return reportWithUsageHint(session.console, "Invalid syntax.", verb);
}

int reportInvalidKeyName(RegSession& session, std::string_view verb, std::string why) {
  session.noteFailure(std::move(why));
  return reportWithUsageHint(session.console, "Invalid key name.", verb);
}

int reportStatus(RegSession& session, RegistryStatus status) {
  session.noteStatusUnlessNoted(status);
  return reportError(session, statusText(status));
}

int reportError(RegSession& session, std::string_view text, std::string why) {
  if (!why.empty()) session.noteFailure(std::move(why));
  session.console.err << "ERROR: " << text << '\n';
  return regFailed;
}

std::string statusText(RegistryStatus status) {
  for (const StatusText& known : statusTexts) {
    if (known.status == status) return known.text;
  }
  return "The registry operation failed with status " + std::to_string(status) + ".";
}

int reportCanceled(RegSession& session) {
  session.noteFailure("the question was answered no; nothing was changed");
  session.console.err << "The operation was canceled by the user.\n";
  return regFailed;
}

Answer ask(ConsoleStreams& console, std::string_view question, bool offerAll) {
  const char* choices = offerAll ? " (Yes/No/All)? " : " (Yes/No)? ";
  while (true) {
    console.out << question << choices;
    if (!console.inputIsTerminal) {
      console.out << "No (standard input is not a terminal; /f or /y answers yes)\n";
      return Answer::No;
    }
    console.out.flush();
    std::string reply;
    if (!std::getline(console.in, reply)) {
      console.out << '\n';
      return Answer::No;
    }
    if (!reply.empty() && reply.back() == '\r') reply.pop_back();
    if (sameWord(reply, "y") || sameWord(reply, "yes")) return Answer::Yes;
    if (sameWord(reply, "n") || sameWord(reply, "no")) return Answer::No;
    if (offerAll && (sameWord(reply, "a") || sameWord(reply, "all"))) return Answer::All;
  }
}

}  // namespace zarn::cli
