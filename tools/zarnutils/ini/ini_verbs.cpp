// zarnutils ini: get, set, del and list on INI files, through the public
// INI API (zarnutils/ini_file.h); one function per verb and the table that
// finds them.
#include "ini_verbs.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

#include "file_bytes.h"
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
    "usage: zarnutils [--json] ini get FILE SECTION KEY [--default V] [--type int|bool]\n";

// ini get FILE SECTION KEY: the entry's whole value, or which of file,
// section and entry is missing. --default answers for a missing one;
// --type reads the value as a number or a Boolean.
int iniGet(const std::vector<std::string>& words, ConsoleStreams& console) {
  std::string problem;
  const std::optional<GetRequest> request = parseGetRequest(words, problem);
  if (!request) return reportUsageError(console, problem, getUsage);
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

// ini set FILE SECTION KEY VALUE: writes one entry, creating the section
// and the file when missing.
int iniSet(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  const std::string& key = words[2];
  const std::string& value = words[3];
  std::error_code failure;
  ini::File(file).writeText(section, key, value, failure);
  if (failure) {
    return reportIniFailure(console, quotedName(file) + ": cannot write " + quotedName(key) +
                                         " in [" + quotedName(section) + "]: " + failure.message());
  }
  return iniSucceeded;
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

// ini list FILE [SECTION]: the file's section names, or the section's lines,
// one per line.
int iniList(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  const ini::File ini(file);
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

constexpr const char* setWordNames[] = {"FILE", "SECTION", "KEY", "VALUE"};
constexpr const char* delWordNames[] = {"FILE", "SECTION", "KEY"};
constexpr const char* listWordNames[] = {"FILE", "SECTION"};

// get checks its own words, which hold options.
constexpr std::span<const char* const> checkedByTheVerb;

constexpr Verb verbs[] = {
    {"get", 0, checkedByTheVerb, iniGet,
     "zarnutils [--json] ini get FILE SECTION KEY [--default V] [--type int|bool]\n"
     "  Prints the entry's whole value. A missing file, section or entry fails,\n"
     "  unless --default gives the value V to print. --type int reads the value\n"
     "  as the profile functions read numbers (a sign, 0x, 0o, 0b prefixes) and\n"
     "  refuses a value that is no number (12abc, abc); --type bool takes\n"
     "  true/false, yes/no, on/off or 1/0 in any letter case and prints true or\n"
     "  false. --json prints {\"file\",\"section\",\"key\",\"value\",\"found\"}.\n"},
    {"set", 4, setWordNames, iniSet,
     "zarnutils ini set FILE SECTION KEY VALUE\n"
     "  Writes the entry, creating the section and the file when missing.\n"},
    {"del", 2, delWordNames, iniDel,
     "zarnutils ini del FILE SECTION [KEY]\n"
     "  Deletes the entry, or the whole section; nothing to delete is no failure.\n"},
    {"list", 1, listWordNames, iniList,
     "zarnutils [--json] ini list FILE [SECTION]\n"
     "  Lists the section names, or the section's lines, one a line. --json\n"
     "  prints {\"file\",\"sections\":[...]} or\n"
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

constexpr const char* verbChoice = "(get, set, del or list)";

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
