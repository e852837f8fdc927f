// zarnutils ini: get, set, del and list on INI files, through
// ProfileService alone; one function per verb and the table that finds them.
#include "ini/ini_verbs.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "file_bytes.h"
#include "narrow_utf8.h"
#include "platform/growing_buffer.h"
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

// ini get FILE SECTION KEY: the entry's whole value, or which of file,
// section and entry is missing.
int iniGet(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  const std::string& key = words[2];
  if (!fileExists(file)) return reportIniFailure(console, file + ": no such file");
  if (!hasSection(file, section))
    return reportIniFailure(console, file + ": no section [" + section + "]");
  const std::optional<std::string> value = entryValue(file, section, key);
  if (!value)
    return reportIniFailure(console, file + ": no entry " + key + " in [" + section + "]");
  console.out << *value << '\n';
  return iniSucceeded;
}

bool hasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// ini set FILE SECTION KEY VALUE: writes one entry, creating the section
// and the file when missing.
int iniSet(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  const std::string& key = words[2];
  const std::string& value = words[3];
  // The platform's own write would let a line break add lines or sections.
  if (section.empty() || key.empty() || std::any_of(words.begin() + 1, words.end(), hasLineBreak)) {
    return reportIniFailure(console, "a section and a key are needed, and no line breaks");
  }
  if (!ProfileService::WritePrivateProfileStringA(
          narrowFromUtf8(section).c_str(), narrowFromUtf8(key).c_str(),
          narrowFromUtf8(value).c_str(), narrowFromUtf8(file).c_str())) {
    return reportIniFailure(console, file + ": cannot write " + key + " in [" + section + "]");
  }
  return iniSucceeded;
}

// ini del FILE SECTION [KEY]: deletes one entry, or the whole section,
// through the platform's own forms of the profile write (no value deletes
// the entry, no key the section). Nothing to delete is not a failure.
int iniDel(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  const std::string& section = words[1];
  if (!fileExists(file)) return reportIniFailure(console, file + ": no such file");
  const std::string key = words.size() > 2 ? narrowFromUtf8(words[2]) : "";
  if (!ProfileService::WritePrivateProfileStringA(narrowFromUtf8(section).c_str(),
                                                  words.size() > 2 ? key.c_str() : nullptr, nullptr,
                                                  narrowFromUtf8(file).c_str())) {
    return reportIniFailure(console, file + ": cannot delete from [" + section + "]");
  }
  return iniSucceeded;
}

// ini list FILE [SECTION]: the file's section names, or the section's lines,
// one per line.
int iniList(const std::vector<std::string>& words, ConsoleStreams& console) {
  const std::string& file = words[0];
  if (!fileExists(file)) return reportIniFailure(console, file + ": no such file");
  if (words.size() == 1) {
    for (const std::string& name : sectionNames(file)) console.out << name << '\n';
    return iniSucceeded;
  }
  const std::string& section = words[1];
  if (!hasSection(file, section))
    return reportIniFailure(console, file + ": no section [" + section + "]");
  for (const std::string& line : sectionLines(file, section)) console.out << line << '\n';
  return iniSucceeded;
}

struct Verb {
  const char* name;
  size_t fewestWords;
  size_t mostWords;
  int (*run)(const std::vector<std::string>&, ConsoleStreams&);
};

constexpr Verb verbs[] = {
    {"get", 3, 3, iniGet},
    {"set", 4, 4, iniSet},
    {"del", 2, 3, iniDel},
    {"list", 1, 2, iniList},
};

constexpr const char* usage =
    "usage: zarnutils ini get FILE SECTION KEY\n"
    "       zarnutils ini set FILE SECTION KEY VALUE\n"
    "       zarnutils ini del FILE SECTION [KEY]\n"
    "       zarnutils ini list FILE [SECTION]\n";

}  // namespace

int runIni(const std::vector<std::string>& words, ConsoleStreams& console) {
  if (!words.empty()) {
    for (const Verb& verb : verbs) {
      if (words[0] != verb.name) continue;
      const std::vector<std::string> rest(std::next(words.begin()), words.end());
      if (rest.size() < verb.fewestWords || rest.size() > verb.mostWords) break;
      return verb.run(rest, console);
    }
  }
  console.err << usage;
  return iniUsageFailed;
}

}  // namespace zarn::cli
