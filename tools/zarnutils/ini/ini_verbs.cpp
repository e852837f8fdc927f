// zarnutils ini: get, set, del and list on INI files, through
// ProfileService alone; one function per verb and the table that finds them.
#include "ini/ini_verbs.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <iterator>
#include <optional>

#include "file_bytes.h"
#include "json_writer.h"
#include "narrow_utf8.h"
#include "platform/growing_buffer.h"
#include "platform/profile_entry_rules.h"
#include "platform/profile_service.h"

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

// Whole answers from the profile service, however long: the service cuts
// what does not fit its buffer, so these ask again with a larger one.
// Everything is UTF-8 here and narrow at the service.
constexpr uint32_t firstRoom = 4096;
// A cut never splits a character, so it may stop up to three bytes short.
constexpr uint32_t cutSlack = 4;

// The answer fitted when it ended more than cutSlack bytes before the end
// of the buffer; otherwise the next try doubles the room.
std::optional<uint32_t> largerUnlessFitted(uint32_t count, uint32_t room) {
  if (count + cutSlack < room) return std::nullopt;
  return room * 2;
}

// Items separated by NULs; the listing was cut when it filled the buffer.
template <typename List>
std::vector<std::string> listing(List list) {
  uint32_t count = 0;
  const std::string buffer = callUntilItFits(firstRoom, '\0', [&](char* data, uint32_t room) {
    count = list(data, room);
    return largerUnlessFitted(count, room);
  });
  std::vector<std::string> items;
  for (size_t start = 0; start < count;) {
    const size_t end = buffer.find('\0', start);
    items.push_back(utf8FromNarrow(buffer.substr(start, end - start)));
    start = end + 1;
  }
  return items;
}

std::string readValue(const std::string& file, const std::string& section, const std::string& key,
                      const char* fallback) {
  uint32_t count = 0;
  const std::string buffer = callUntilItFits(firstRoom, '\0', [&](char* data, uint32_t room) {
    count = ProfileService::GetPrivateProfileStringA(narrowFromUtf8(section).c_str(),
                                                     narrowFromUtf8(key).c_str(), fallback, data,
                                                     room, narrowFromUtf8(file).c_str());
    return largerUnlessFitted(count, room);
  });
  return buffer.substr(0, count);
}

std::vector<std::string> sectionNames(const std::string& file) {
  const std::string narrowFile = narrowFromUtf8(file);
  return listing([&](char* buffer, uint32_t room) {
    return ProfileService::GetPrivateProfileSectionNamesA(buffer, room, narrowFile.c_str());
  });
}

std::vector<std::string> sectionLines(const std::string& file, const std::string& section) {
  const std::string narrowFile = narrowFromUtf8(file);
  const std::string narrowSection = narrowFromUtf8(section);
  return listing([&](char* buffer, uint32_t room) {
    return ProfileService::GetPrivateProfileSectionA(narrowSection.c_str(), buffer, room,
                                                     narrowFile.c_str());
  });
}

bool hasSection(const std::string& file, const std::string& section) {
  const Text wanted = trimmed(utf8ToText(section), u" \t");
  for (const std::string& name : sectionNames(file)) {
    if (equalsIgnoringCase(trimmed(utf8ToText(name), u" \t"), wanted)) return true;
  }
  return false;
}

// Nothing when the entry is missing (or its section or file is).
std::optional<std::string> entryValue(const std::string& file, const std::string& section,
                                      const std::string& key) {
  // Two different defaults come back only when there is no entry.
  const std::string first = readValue(file, section, key, "\x01");
  if (first != "\x01") return utf8FromNarrow(first);
  const std::string second = readValue(file, section, key, "\x02");
  if (second != "\x02") return utf8FromNarrow(second);
  return std::nullopt;
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
std::optional<bool> booleanOfWord(const std::string& word) {
  const Text folded = trimmed(utf8ToText(word), u" \t");
  for (const char16_t* yes : {u"true", u"yes", u"on", u"1"})
    if (equalsIgnoringCase(folded, yes)) return true;
  for (const char16_t* no : {u"false", u"no", u"off", u"0"})
    if (equalsIgnoringCase(folded, no)) return false;
  return std::nullopt;
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

// FILE SECTION KEY with --default VALUE and --type int|bool anywhere among
// them; "--" ends the options. Nothing when the words break that form.
std::optional<GetRequest> parseGetRequest(const std::vector<std::string>& words) {
  GetRequest request;
  bool optionsEnded = false;
  for (size_t at = 0; at < words.size(); ++at) {
    const std::string& word = words[at];
    const bool takesValue = word == "--default" || word == "--type";
    if (optionsEnded || !word.starts_with("--")) {
      request.names.push_back(word);
    } else if (word == "--") {
      optionsEnded = true;
    } else if (!takesValue || at + 1 == words.size()) {
      return std::nullopt;
    } else if (word == "--default") {
      request.fallback = words[++at];
    } else if (words[++at] == "int") {
      request.kind = TypedValue::Kind::Integer;
    } else if (words[at] == "bool") {
      request.kind = TypedValue::Kind::Boolean;
    } else {
      return std::nullopt;
    }
  }
  if (request.names.size() != 3) return std::nullopt;
  return request;
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
  const std::optional<GetRequest> request = parseGetRequest(words);
  if (!request) {
    console.err << getUsage;
    return iniUsageFailed;
  }
  const std::string& file = request->names[0];
  const std::string& section = request->names[1];
  const std::string& key = request->names[2];
  TypedValue value;
  value.kind = request->kind;
  std::optional<int32_t> integerDefault;
  if (request->fallback && value.kind == TypedValue::Kind::Integer) {
    integerDefault = integerOfDefault(*request->fallback);
    if (!integerDefault) {
      console.err << "zarnutils ini: --default of --type int must be a decimal number\n";
      return iniUsageFailed;
    }
  }
  if (request->fallback && value.kind == TypedValue::Kind::Boolean &&
      !booleanOfWord(*request->fallback)) {
    console.err << "zarnutils ini: --default of --type bool must be true/false, yes/no, "
                   "on/off or 1/0\n";
    return iniUsageFailed;
  }
  std::optional<std::string> found;
  std::string missing;
  if (const std::optional<std::string> reason = unreadableReason(file)) {
    missing = "cannot open " + quotedName(file) + ": " + *reason;
  } else if (!hasSection(file, section)) {
    missing = quotedName(file) + ": no section [" + quotedName(section) + "]";
  } else if (!(found = entryValue(file, section, key))) {
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
    value.integer = found ? static_cast<int32_t>(ProfileService::GetPrivateProfileIntA(
                                narrowFromUtf8(section).c_str(), narrowFromUtf8(key).c_str(), 0,
                                narrowFromUtf8(file).c_str()))
                          : *integerDefault;
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

// Why the profile write just made failed, in words: the platform's last
// error on Windows, errno natively (profile_service.h).
std::string writeFailure() {
#ifdef _WIN32
  const DWORD error = GetLastError();
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "permission denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return "folder missing";
    case ERROR_CANT_RESOLVE_FILENAME: return "a link refused";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "disk full";
    default: return "system error " + std::to_string(error);
  }
#else
  switch (errno) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return "permission denied";
    case ENOENT:
    case ENOTDIR: return "folder missing";
    case ELOOP: return "a link refused";
    case ENOSPC:
    case EDQUOT: return "disk full";
    case EINVAL: return "a name the file format cannot hold";
    case EFBIG: return "the file is too large";
    case EISDIR: return "not a regular file";
    default: return std::strerror(errno);
  }
#endif
}

// What the file format cannot hold, checked before the write because the
// platform's own write takes it and a line break would add lines or
// sections; nothing when the entry can be written.
std::optional<std::string> unstorable(const std::string& section, const std::string& key,
                                      const std::string& value) {
  if (!isStorableSection(utf8ToText(section))) return "a section name the file format cannot hold";
  if (!isStorableKey(utf8ToText(key))) return "a key name the file format cannot hold";
  if (!isStorableValue(utf8ToText(value))) return "a value the file format cannot hold";
  return std::nullopt;
}

// ini set FILE SECTION KEY VALUE: writes one entry, creating the section
// and the file when missing.
int iniSet(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  const std::string& key = words[2];
  const std::string& value = words[3];
  const std::string refusal = quotedName(file) + ": cannot write " + quotedName(key) + " in [" +
                              quotedName(section) + "]: ";
  if (const std::optional<std::string> reason = unstorable(section, key, value)) {
    return reportIniFailure(console, refusal + *reason);
  }
  if (!ProfileService::WritePrivateProfileStringA(
          narrowFromUtf8(section).c_str(), narrowFromUtf8(key).c_str(),
          narrowFromUtf8(value).c_str(), narrowFromUtf8(file).c_str())) {
    return reportIniFailure(console, refusal + writeFailure());
  }
  return iniSucceeded;
}

// ini del FILE SECTION [KEY]: deletes one entry, or the whole section,
// through the platform's own forms of the profile write (no value deletes
// the entry, no key the section). Nothing to delete is not a failure.
int iniDel(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  const std::string key = words.size() > 2 ? narrowFromUtf8(words[2]) : "";
  if (!ProfileService::WritePrivateProfileStringA(narrowFromUtf8(section).c_str(),
                                                  words.size() > 2 ? key.c_str() : nullptr, nullptr,
                                                  narrowFromUtf8(file).c_str())) {
    return reportIniFailure(console, quotedName(file) + ": cannot delete from [" +
                                         quotedName(section) + "]: " + writeFailure());
  }
  return iniSucceeded;
}

// A section line's value as ini get reads it: one pair of matching quotes
// around it removed.
std::string unquoted(const std::string& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

// ini list FILE [SECTION]: the file's section names, or the section's lines,
// one per line.
int iniList(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  if (const std::optional<int> failed = reportUnreadable(console, file)) return *failed;
  JsonWriter json;
  json.beginObject().member("file", file);
  if (words.size() == 1) {
    json.key("sections").beginArray();
    for (const std::string& name : sectionNames(file)) {
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
  if (!hasSection(file, section))
    return reportIniFailure(console,
                            quotedName(file) + ": no section [" + quotedName(section) + "]");
  json.member("section", section).key("entries").beginArray();
  for (const std::string& line : sectionLines(file, section)) {
    if (!console.json) {
      console.out << console.shown(line) << '\n';
      continue;
    }
    const size_t equals = line.find('=');
    json.beginObject().member("name", line.substr(0, equals)).key("value");
    if (equals == std::string::npos)
      json.null();
    else
      json.string(unquoted(line.substr(equals + 1)));
    json.endObject();
  }
  json.endArray().endObject();
  if (console.json) console.out << json.text();
  return iniSucceeded;
}

struct Verb {
  const char* name;
  size_t fewestWords;
  size_t mostWords;
  int (*run)(const std::vector<std::string>&, ConsoleStreams&);
  const char* help;
};

// get checks its own words, which hold options.
constexpr Verb verbs[] = {
    {"get", 3, 7, iniGet,
     "zarnutils [--json] ini get FILE SECTION KEY [--default V] [--type int|bool]\n"
     "  Prints the entry's whole value. A missing file, section or entry fails,\n"
     "  unless --default gives the value V to print. --type int reads the value\n"
     "  as the profile functions read numbers (0x, 0o, 0b prefixes; reading stops\n"
     "  at the first other character: 12abc is 12, abc is 0); --type bool takes\n"
     "  true/false, yes/no, on/off or 1/0 in any letter case and prints true or\n"
     "  false. --json prints {\"file\",\"section\",\"key\",\"value\",\"found\"}.\n"},
    {"set", 4, 4, iniSet,
     "zarnutils ini set FILE SECTION KEY VALUE\n"
     "  Writes the entry, creating the section and the file when missing.\n"},
    {"del", 2, 3, iniDel,
     "zarnutils ini del FILE SECTION [KEY]\n"
     "  Deletes the entry, or the whole section; nothing to delete is no failure.\n"},
    {"list", 1, 2, iniList,
     "zarnutils [--json] ini list FILE [SECTION]\n"
     "  Lists the section names, or the section's lines, one a line. --json\n"
     "  prints {\"file\",\"sections\":[...]} or\n"
     "  {\"file\",\"section\",\"entries\":[{\"name\",\"value\"}...]}.\n"},
};

bool asksForHelp(const std::vector<std::string>& words) {
  return words.size() == 1 && (words[0] == "--help" || words[0] == "-h");
}

void printUsage(std::ostream& stream) {
  stream << "usage:\n";
  for (const Verb& verb : verbs) {
    const std::string help = verb.help;
    stream << "  " << help.substr(0, help.find('\n') + 1);
  }
}

}  // namespace

std::vector<std::string> iniVerbNames() {
  std::vector<std::string> names;
  for (const Verb& verb : verbs) names.emplace_back(verb.name);
  return names;
}

int runIni(const std::vector<std::string>& words, ConsoleStreams& console) {
  if (asksForHelp(words)) {
    printUsage(console.out);
    for (const Verb& verb : verbs) console.out << '\n' << verb.help;
    return iniSucceeded;
  }
  if (!words.empty()) {
    for (const Verb& verb : verbs) {
      if (words[0] != verb.name) continue;
      const std::vector<std::string> rest(std::next(words.begin()), words.end());
      if (asksForHelp(rest)) {
        console.out << verb.help;
        return iniSucceeded;
      }
      if (rest.size() < verb.fewestWords || rest.size() > verb.mostWords) break;
      return verb.run(rest, console);
    }
  }
  printUsage(console.err);
  return iniUsageFailed;
}

}  // namespace zarn::cli
