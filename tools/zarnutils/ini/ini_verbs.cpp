// zarnutils ini: get, set, apply, del and list on INI files, through the
// public INI API (zarnutils/ini_file.h); one function per verb and the
// table that finds them.
#include "ini_verbs.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>
#include <set>
#include <span>
#include <string_view>

#include "file_bytes.h"
#include "ini_apply.h"
#include "ini_fragment.h"
#include "json_writer.h"
#include "zarnutils/ini_file.h"

namespace zarn::cli {
namespace {

constexpr int iniSucceeded = 0;
constexpr int iniFailed = 1;
constexpr int iniUsageFailed = 2;

// "zarnutils ini: " and the text on standard error; returns 1.
int reportIniFailure(ConsoleStreams& console, const std::string& text) {
  console.err << "zarnutils ini: " << text << '\n';
  return iniFailed;
}

// "cannot open FILE: No such file or directory" when the file cannot be
// read; nothing when it can.
std::optional<int> reportUnreadable(ConsoleStreams& console, const std::string& file) {
  const std::optional<std::string> reason = unreadableReason(file);
  if (!reason) return std::nullopt;
  return reportIniFailure(console, "cannot open " + quotedName(file) + ": " + *reason);
}

// The value as ini get --type reads it, in text and in JSON.
struct TypedValue {
  enum class Kind { Text, Integer, Boolean } kind = Kind::Text;
  std::string text;
  int32_t integer = 0;
  bool boolean = false;
};

// The words of --type bool, in any letter case: the ones INI files written
// by people and by other tools use (the set of git config and of Python's
// configparser). The automation conversion's True/False-or-a-number would
// refuse yes/no and on/off, the commonest in INI files.
std::optional<bool> booleanOfWord(std::string_view word) {
  const size_t first = word.find_first_not_of(" \t");
  word = first == word.npos ? "" : word.substr(first, word.find_last_not_of(" \t") + 1 - first);
  const auto is = [&](std::string_view wanted) {
    return std::equal(word.begin(), word.end(), wanted.begin(), wanted.end(), [](char a, char b) {
      return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
    });
  };
  for (const char* yes : {"true", "yes", "on", "1"})
    if (is(yes)) return true;
  for (const char* no : {"false", "no", "off", "0"})
    if (is(no)) return false;
  return std::nullopt;
}

// Whether the whole value is a number as the profile functions read one:
// an optional sign, then decimal digits, or 0x, 0o or 0b (lower case) and
// digits of that base. They also read "12abc" as 12 and "abc" as 0, which
// --type int refuses, since such a value is no number of anybody's.
bool isProfileNumber(std::string_view text) {
  if (text.starts_with('+') || text.starts_with('-')) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'o' || text[1] == 'b')) {
    base = text[1] == 'x' ? 16 : text[1] == 'o' ? 8 : 2;
    text.remove_prefix(2);
  }
  const auto isDigit = [base](char c) {
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : base;
    return digit < base;
  };
  return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

// A --default for --type int: a decimal number in the signed 32-bit range.
std::optional<int32_t> integerOfDefault(const std::string& text) {
  int32_t number = 0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (failure != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

struct GetRequest {
  std::vector<std::string> names;  // FILE SECTION KEY
  std::optional<std::string> fallback;
  TypedValue::Kind kind = TypedValue::Kind::Text;
  bool all = false;  // --all: every entry of the name, not the first
};

// What a verb's words lack or hold too many of, naming the word: "missing
// KEY", "unexpected word 'x'"; "" when the count fits.
std::string wordCountProblem(const std::vector<std::string>& words,
                             std::span<const char* const> names, size_t fewest) {
  if (words.size() < fewest) return std::string("missing ") + names[words.size()];
  if (words.size() > names.size())
    return "unexpected word '" + quotedName(words[names.size()]) + "'";
  return "";
}

constexpr const char* getWordNames[] = {"FILE", "SECTION", "KEY"};

// FILE SECTION KEY with --default VALUE and --type int|bool anywhere among
// them; "--" ends the options. Nothing, and the word it could not use in
// problem, when the words break that form.
std::optional<GetRequest> parseGetRequest(const std::vector<std::string>& words,
                                          std::string& problem) {
  GetRequest request;
  bool optionsEnded = false;
  for (size_t at = 0; at < words.size(); ++at) {
    const std::string& word = words[at];
    const bool takesValue = word == "--default" || word == "--type";
    if (optionsEnded || !word.starts_with("--")) {
      request.names.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--json" || word == "--quiet") {
      problem = word + " is an option of zarnutils: it goes before \"ini\"";
      return std::nullopt;
    } else if (word == "--all") {
      request.all = true;
    } else if (!takesValue) {
      problem = "unknown option " + quotedName(word);
      return std::nullopt;
    } else if (at + 1 == words.size()) {
      problem = word + " needs a value";
      return std::nullopt;
    } else if (word == "--default") {
      request.fallback = words[++at];
    } else if (words[++at] == "int") {
      request.kind = TypedValue::Kind::Integer;
    } else if (words[at] == "bool") {
      request.kind = TypedValue::Kind::Boolean;
    } else {
      problem = "unknown type '" + quotedName(words[at]) + "' (int or bool)";
      return std::nullopt;
    }
  }
  problem = wordCountProblem(request.names, getWordNames, std::size(getWordNames));
  if (problem.empty() && request.all &&
      (request.fallback || request.kind != TypedValue::Kind::Text))
    problem = "--all takes neither --default nor --type";
  if (!problem.empty()) return std::nullopt;
  return request;
}

// "zarnutils ini: " and the problem, then the usage; returns 2.
int reportUsageError(ConsoleStreams& console, const std::string& problem,
                     const std::string& usage) {
  console.err << "zarnutils ini: " << problem << '\n' << usage;
  return iniUsageFailed;
}

void printValue(ConsoleStreams& console, const GetRequest& request, const TypedValue& value,
                bool found) {
  if (!console.json) {
    if (value.kind == TypedValue::Kind::Integer)
      console.out << value.integer << '\n';
    else if (value.kind == TypedValue::Kind::Boolean)
      console.out << (value.boolean ? "true" : "false") << '\n';
    else
      console.out << console.shown(value.text) << '\n';
    return;
  }
  JsonWriter json;
  json.beginObject()
      .member("file", request.names[0])
      .member("section", request.names[1])
      .member("key", request.names[2])
      .key("value");
  if (value.kind == TypedValue::Kind::Integer)
    json.number(value.integer);
  else if (value.kind == TypedValue::Kind::Boolean)
    json.boolean(value.boolean);
  else
    json.string(value.text);
  json.key("found").boolean(found).endObject();
  console.out << json.text();
}

constexpr const char* getUsage =
    "usage: zarnutils [--json] ini get FILE SECTION KEY [--default V] [--type int|bool] [--all]\n";

// ini get --all: every value of the entries of that name in the section,
// one a line, or {"file","section","key","values":[...]}.
int printAllValues(const GetRequest& request, ConsoleStreams& console) {
  const std::string& file = request.names[0];
  const std::string& section = request.names[1];
  const std::string& key = request.names[2];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  const ini::File ini(file);
  if (!ini.hasSection(section))
    return reportIniFailure(console,
                            quotedName(file) + ": no section [" + quotedName(section) + "]");
  const std::vector<std::string> values = ini.readAllText(section, key);
  if (values.empty()) {
    return reportIniFailure(console, quotedName(file) + ": no entry " + quotedName(key) + " in [" +
                                         quotedName(section) + "]");
  }
  JsonWriter json;
  json.beginObject()
      .member("file", file)
      .member("section", section)
      .member("key", key)
      .key("values")
      .beginArray();
  for (const std::string& value : values) {
    json.string(value);
    if (!console.json) console.out << console.shown(value) << '\n';
  }
  json.endArray().endObject();
  if (console.json) console.out << json.text();
  return iniSucceeded;
}

// ini get FILE SECTION KEY: the entry's whole value, or which of file,
// section and entry is missing. --default answers for a missing one;
// --type reads the value as a number or a Boolean.
int iniGet(const std::vector<std::string>& words, ConsoleStreams& console) {
  std::string problem;
  const std::optional<GetRequest> request = parseGetRequest(words, problem);
  if (!request) return reportUsageError(console, problem, getUsage);
  if (request->all) return printAllValues(*request, console);
  const std::string& file = request->names[0];
  const std::string& section = request->names[1];
  const std::string& key = request->names[2];
  TypedValue value;
  value.kind = request->kind;
  std::optional<int32_t> integerDefault;
  if (request->fallback && value.kind == TypedValue::Kind::Integer) {
    integerDefault = integerOfDefault(*request->fallback);
    if (!integerDefault) {
      return reportUsageError(console,
                              "--default of --type int is '" + quotedName(*request->fallback) +
                                  "', not a decimal number",
                              getUsage);
    }
  }
  if (request->fallback && value.kind == TypedValue::Kind::Boolean &&
      !booleanOfWord(*request->fallback)) {
    return reportUsageError(console,
                            "--default of --type bool is '" + quotedName(*request->fallback) +
                                "', not true/false, yes/no, on/off or 1/0",
                            getUsage);
  }
  const ini::File ini(file);
  std::optional<std::string> found;
  std::string missing;
  if (const std::optional<std::string> reason = unreadableReason(file)) {
    missing = "cannot open " + quotedName(file) + ": " + *reason;
  } else if (!ini.hasSection(section)) {
    missing = quotedName(file) + ": no section [" + quotedName(section) + "]";
  } else if (!(found = ini.readText(section, key))) {
    missing =
        quotedName(file) + ": no entry " + quotedName(key) + " in [" + quotedName(section) + "]";
  } else if (found->empty() && value.kind == TypedValue::Kind::Integer) {
    // The profile functions answer an empty value with the default, as a
    // missing one.
    found.reset();
    missing = quotedName(file) + ": entry " + quotedName(key) + " in [" + quotedName(section) +
              "] is empty";
  }
  if (!found && !request->fallback) return reportIniFailure(console, missing);
  const std::string text = found ? *found : *request->fallback;
  if (value.kind == TypedValue::Kind::Integer) {
    if (found && !isProfileNumber(*found)) {
      return reportIniFailure(console, quotedName(file) + ": entry " + quotedName(key) + " in [" +
                                           quotedName(section) + "] is '" + quotedName(*found) +
                                           "', not a number");
    }
    value.integer = found ? ini.readInteger(section, key, 0) : *integerDefault;
  } else if (value.kind == TypedValue::Kind::Boolean) {
    const std::optional<bool> boolean = booleanOfWord(text);
    if (!boolean) {
      return reportIniFailure(console, quotedName(file) + ": entry " + quotedName(key) + " in [" +
                                           quotedName(section) + "] is '" + quotedName(text) +
                                           "', not true/false, yes/no, on/off or 1/0");
    }
    value.boolean = *boolean;
  } else {
    value.text = text;
  }
  printValue(console, *request, value, found.has_value());
  return iniSucceeded;
}

// The words of set, apply and list with their options taken out; "--"
// ends the options. An option the verb does not know is a usage error,
// except in set, whose values may start with "--".
struct VerbWords {
  std::vector<std::string> names;
  ApplyOptions apply;
  std::optional<std::string> format;  // list --format=sh|lines
};

std::optional<VerbWords> parseVerbWords(const std::vector<std::string>& words,
                                        std::span<const std::string_view> options,
                                        bool unknownAreWords, std::string& problem) {
  VerbWords parsed;
  bool optionsEnded = false;
  for (size_t at = 0; at < words.size(); ++at) {
    const std::string& word = words[at];
    const std::string_view option = std::string_view(word).substr(0, word.find('='));
    const bool known = std::find(options.begin(), options.end(), option) != options.end();
    if (optionsEnded || !word.starts_with("--") || (!known && unknownAreWords && word != "--")) {
      parsed.names.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (word == "--json" || word == "--quiet") {
      problem = word + " is an option of zarnutils: it goes before \"ini\"";
      return std::nullopt;
    } else if (!known) {
      problem = "unknown option " + quotedName(word);
      return std::nullopt;
    } else if (option == "--format") {
      if (word.size() > option.size()) {
        parsed.format = word.substr(option.size() + 1);
      } else if (at + 1 < words.size()) {
        parsed.format = words[++at];
      } else {
        problem = "--format needs a value";
        return std::nullopt;
      }
    } else if (word.size() > option.size()) {
      problem = std::string(option) + " takes no value";
      return std::nullopt;
    } else {
      parsed.apply.check |= option == "--check";
      parsed.apply.diff |= option == "--diff";
      parsed.apply.detailedExitCodes |= option == "--detailed-exitcodes";
    }
  }
  return parsed;
}

constexpr std::string_view changeOptions[] = {"--check", "--diff", "--detailed-exitcodes"};
constexpr std::string_view listOptions[] = {"--format"};

constexpr const char* setUsage =
    "usage: zarnutils [--json] ini set FILE SECTION KEY VALUE [KEY VALUE...] [--check] [--diff]\n"
    "         [--detailed-exitcodes]\n";

// ini set FILE SECTION KEY VALUE [KEY VALUE...]: the entries written in one
// write, creating the section and the file when missing.
int iniSet(const std::vector<std::string>& words, ConsoleStreams& console) {
  std::string problem;
  const std::optional<VerbWords> parsed = parseVerbWords(words, changeOptions, true, problem);
  if (!parsed) return reportUsageError(console, problem, setUsage);
  const std::vector<std::string>& names = parsed->names;
  constexpr const char* setWordNames[] = {"FILE", "SECTION", "KEY", "VALUE"};
  if (names.size() < 4)
    return reportUsageError(console, std::string("missing ") + setWordNames[names.size()],
                            setUsage);
  if (names.size() % 2 != 0) {
    return reportUsageError(console, "missing VALUE of '" + quotedName(names.back()) + "'",
                            setUsage);
  }
  ini::Changes changes;
  for (size_t at = 2; at < names.size(); at += 2) changes.set(names[1], names[at], names[at + 1]);
  return applyChanges(names[0], changes, parsed->apply, console);
}

// Fragments larger than INI files may be are refused.
constexpr size_t maxFragmentSize = size_t{1} << 30;

// The fragment's bytes from the file, or standard input for "-".
std::optional<std::string> fragmentBytes(const std::string& name, ConsoleStreams& console,
                                         std::string& reason) {
  std::string bytes;
  if (name == "-") {
    char chunk[65536];
    while (console.in.read(chunk, sizeof chunk) || console.in.gcount() > 0) {
      bytes.append(chunk, static_cast<size_t>(console.in.gcount()));
      if (bytes.size() > maxFragmentSize) break;
    }
  } else {
    std::FILE* file = openRegularFile(name, reason);
    if (!file) return std::nullopt;
    char chunk[65536];
    size_t count = 0;
    while (bytes.size() <= maxFragmentSize &&
           (count = std::fread(chunk, 1, sizeof chunk, file)) > 0)
      bytes.append(chunk, count);
    std::fclose(file);
  }
  if (bytes.size() > maxFragmentSize) {
    reason = "larger than 1 GiB";
    return std::nullopt;
  }
  return bytes;
}

constexpr const char* applyUsage =
    "usage: zarnutils [--json] ini apply FILE FRAGMENT|- [--check] [--diff] "
    "[--detailed-exitcodes]\n";

// ini apply FILE FRAGMENT|-: the sets and deletions of an INI fragment
// (ini_fragment.h) made in one write.
int iniApply(const std::vector<std::string>& words, ConsoleStreams& console) {
  std::string problem;
  const std::optional<VerbWords> parsed = parseVerbWords(words, changeOptions, false, problem);
  constexpr const char* applyWordNames[] = {"FILE", "FRAGMENT"};
  if (parsed) problem = wordCountProblem(parsed->names, applyWordNames, 2);
  if (!parsed || !problem.empty()) return reportUsageError(console, problem, applyUsage);
  const std::string& file = parsed->names[0];
  const std::string& source = parsed->names[1];
  std::string reason;
  const std::optional<std::string> fragment = fragmentBytes(source, console, reason);
  if (!fragment)
    return reportIniFailure(console, "cannot open " + quotedName(source) + ": " + reason);
  const std::optional<ini::Changes> changes = changesOfFragment(*fragment, problem);
  if (!changes) return reportIniFailure(console, quotedName(source) + ": " + problem);
  return applyChanges(file, *changes, parsed->apply, console);
}

// ini del FILE SECTION [KEY]: deletes one entry, or the whole section.
// Nothing to delete is not a failure.
int iniDel(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  std::error_code failure;
  if (words.size() > 2)
    ini::File(file).deleteEntry(section, words[2], failure);
  else
    ini::File(file).deleteSection(section, failure);
  if (failure) {
    return reportIniFailure(console, quotedName(file) + ": cannot delete from [" +
                                         quotedName(section) + "]: " + failure.message());
  }
  return iniSucceeded;
}

// Whether name can be assigned in a POSIX shell: a letter or '_', then
// letters, digits and '_'.
bool isShellName(std::string_view name) {
  const auto isWordCharacter = [](char c) {
    return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  };
  return !name.empty() && !(name[0] >= '0' && name[0] <= '9') &&
         std::all_of(name.begin(), name.end(), isWordCharacter);
}

// The text in single quotes for a POSIX shell, each ' written '\''.
std::string shellQuoted(std::string_view text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string upperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// --format=sh: "name='value'" for the first entry of each name, which is
// the one read; a name that is no shell variable name fails the listing
// before anything is printed, as eval would run it as a command.
int listShell(const std::string& file, const std::string& section, const ini::File& ini,
              ConsoleStreams& console) {
  std::string text;
  std::set<std::string> seen;
  for (const ini::Entry& entry : ini.entries(section)) {
    if (!entry.value || !seen.insert(upperAscii(entry.name)).second) continue;
    if (!isShellName(entry.name)) {
      return reportIniFailure(console, quotedName(file) + ": entry " + quotedName(entry.name) +
                                           " in [" + quotedName(section) +
                                           "] is no shell variable name");
    }
    text += entry.name + "=" + shellQuoted(*entry.value) + "\n";
  }
  console.out << text;
  return iniSucceeded;
}

// --format=lines: "[section] name = value" for every entry of the section,
// or of every section.
void listLines(const std::vector<std::string>& sections, const ini::File& ini,
               ConsoleStreams& console) {
  for (const std::string& section : sections) {
    for (const ini::Entry& entry : ini.entries(section)) {
      console.out << "[" << console.shown(section) << "] " << console.shown(entry.name);
      if (entry.value) console.out << " = " << console.shown(*entry.value);
      console.out << '\n';
    }
  }
}

constexpr const char* listUsage =
    "usage: zarnutils [--json] ini list FILE [SECTION] [--format=sh|lines]\n";

// ini list FILE [SECTION]: the file's section names, or the section's lines,
// one per line; --format gives crudini's forms.
int iniList(const std::vector<std::string>& allWords, ConsoleStreams& console) {
  std::string problem;
  const std::optional<VerbWords> parsed = parseVerbWords(allWords, listOptions, false, problem);
  constexpr const char* listWordNames[] = {"FILE", "SECTION"};
  if (parsed) problem = wordCountProblem(parsed->names, listWordNames, 1);
  if (problem.empty() && parsed->format) {
    if (*parsed->format != "sh" && *parsed->format != "lines")
      problem = "unknown format '" + quotedName(*parsed->format) + "' (sh or lines)";
    else if (console.json)
      problem = "--format and --json are two forms: give one";
    else if (*parsed->format == "sh" && parsed->names.size() == 1)
      problem = "--format=sh lists one section: name it";
  }
  if (!parsed || !problem.empty()) return reportUsageError(console, problem, listUsage);
  const std::vector<std::string>& words = parsed->names;
  const std::string& file = words[0];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  const ini::File ini(file);
  if (parsed->format == "lines" && words.size() == 1) {
    listLines(ini.sectionNames(), ini, console);
    return iniSucceeded;
  }
  JsonWriter json;
  json.beginObject().member("file", file);
  if (words.size() == 1) {
    json.key("sections").beginArray();
    for (const std::string& name : ini.sectionNames()) {
      if (console.json)
        json.string(name);
      else
        console.out << console.shown(name) << '\n';
    }
    json.endArray().endObject();
    if (console.json) console.out << json.text();
    return iniSucceeded;
  }
  const std::string& section = words[1];
  if (!ini.hasSection(section))
    return reportIniFailure(console,
                            quotedName(file) + ": no section [" + quotedName(section) + "]");
  if (parsed->format == "sh") return listShell(file, section, ini, console);
  if (parsed->format == "lines") {
    listLines({section}, ini, console);
    return iniSucceeded;
  }
  json.member("section", section).key("entries").beginArray();
  for (const ini::Entry& entry : ini.entries(section)) {
    if (!console.json) {
      console.out << console.shown(entry.line) << '\n';
      continue;
    }
    json.beginObject().member("name", entry.name).key("value");
    if (entry.value)
      json.string(*entry.value);
    else
      json.null();
    json.endObject();
  }
  json.endArray().endObject();
  if (console.json) console.out << json.text();
  return iniSucceeded;
}

struct Verb {
  const char* name;
  size_t fewestWords;
  std::span<const char* const> wordNames;  // FILE SECTION ..., the optional ones last
  int (*run)(const std::vector<std::string>&, ConsoleStreams&);
  const char* help;
};

constexpr const char* delWordNames[] = {"FILE", "SECTION", "KEY"};

// The verbs with options check their own words.
constexpr std::span<const char* const> checkedByTheVerb;

constexpr Verb verbs[] = {
    {"get", 0, checkedByTheVerb, iniGet,
     "zarnutils [--json] ini get FILE SECTION KEY [--default V] [--type int|bool] [--all]\n"
     "  Prints the entry's whole value. A missing file, section or entry fails,\n"
     "  unless --default gives the value V to print. --type int reads the value\n"
     "  as the profile functions read numbers (a sign, 0x, 0o, 0b prefixes) and\n"
     "  refuses a value that is no number (12abc, abc); --type bool takes\n"
     "  true/false, yes/no, on/off or 1/0 in any letter case and prints true or\n"
     "  false. --all prints the value of every entry of that name in the section,\n"
     "  one a line. --json prints {\"file\",\"section\",\"key\",\"value\",\"found\"}\n"
     "  ({\"file\",\"section\",\"key\",\"values\":[...]} with --all).\n"},
    {"set", 0, checkedByTheVerb, iniSet,
     "zarnutils [--json] ini set FILE SECTION KEY VALUE [KEY VALUE...] [--check] [--diff]\n"
     "  Writes the entries in one write, creating the section and the file when\n"
     "  missing, and prints what each became: created, changed or unchanged.\n"
     "  A file that already holds them is not written. --check writes nothing,\n"
     "  --diff prints the difference instead, --detailed-exitcodes exits with 3\n"
     "  when anything changed (with --check: would change). A VALUE that is one\n"
     "  of these options goes after --.\n"},
    {"apply", 0, checkedByTheVerb, iniApply,
     "zarnutils [--json] ini apply FILE FRAGMENT|- [--check] [--diff]\n"
     "  Makes what the INI fragment says (- reads it from standard input) in one\n"
     "  write: NAME=VALUE sets an entry of the [SECTION] above it, -NAME deletes\n"
     "  the entry, [-SECTION] the whole section. Reports, --check, --diff and\n"
     "  --detailed-exitcodes as ini set.\n"},
    {"del", 2, delWordNames, iniDel,
     "zarnutils ini del FILE SECTION [KEY]\n"
     "  Deletes the entry, or the whole section; nothing to delete is no failure.\n"},
    {"list", 0, checkedByTheVerb, iniList,
     "zarnutils [--json] ini list FILE [SECTION] [--format=sh|lines]\n"
     "  Lists the section names, or the section's lines, one a line.\n"
     "  --format=sh prints the section's entries as NAME='VALUE' lines for a\n"
     "  POSIX shell's eval; --format=lines prints \"[SECTION] NAME = VALUE\" lines\n"
     "  of the section, or of every section. --json prints\n"
     "  {\"file\",\"sections\":[...]} or\n"
     "  {\"file\",\"section\",\"entries\":[{\"name\",\"value\"}...]}.\n"},
};

bool asksForHelp(const std::vector<std::string>& words) {
  return words.size() == 1 && (words[0] == "--help" || words[0] == "-h");
}

std::string usage() {
  std::string text = "usage:\n";
  for (const Verb& verb : verbs) {
    const std::string help = verb.help;
    text += "  " + help.substr(0, help.find('\n') + 1);
  }
  return text;
}

constexpr const char* verbChoice = "(get, set, apply, del or list)";

}  // namespace

std::vector<std::string> iniVerbNames() {
  std::vector<std::string> names;
  for (const Verb& verb : verbs) names.emplace_back(verb.name);
  return names;
}

int runIni(const std::vector<std::string>& words, ConsoleStreams& console) {
  if (asksForHelp(words)) {
    console.out << usage();
    for (const Verb& verb : verbs) console.out << '\n' << verb.help;
    return iniSucceeded;
  }
  if (words.empty())
    return reportUsageError(console, std::string("a verb expected ") + verbChoice, usage());
  for (const Verb& verb : verbs) {
    if (words[0] != verb.name) continue;
    const std::vector<std::string> rest(std::next(words.begin()), words.end());
    if (asksForHelp(rest)) {
      console.out << verb.help;
      return iniSucceeded;
    }
    if (!verb.wordNames.empty()) {
      const std::string problem = wordCountProblem(rest, verb.wordNames, verb.fewestWords);
      if (!problem.empty()) return reportUsageError(console, problem, usage());
    }
    try {
      return verb.run(rest, console);
    } catch (const ini::Error& failure) {
      // A name the INI API refused to read (a NUL, or text the system's
      // code page cannot hold).
      return reportIniFailure(console,
                              quotedName(failure.file()) + ": " + failure.code().message());
    }
  }
  return reportUsageError(console, "unknown verb '" + quotedName(words[0]) + "' " + verbChoice,
                          usage());
}

}  // namespace zarn::cli
