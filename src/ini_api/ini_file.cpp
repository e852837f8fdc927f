// File over the profile service (platform/profile_service.h), in UTF-8.
// Every operation is written once, in its error_code form; the throwing
// form runs it and throws what it filled.
#include <algorithm>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "automation/text.h"
#include "platform/growing_buffer.h"
#include "platform/narrow_text.h"
#include "platform/profile_edit.h"
#include "platform/profile_entry_rules.h"
#include "platform/profile_service.h"
#include "platform/profile_write_error.h"
#include "zarnutils/ini_file.h"

namespace zarn::ini {
namespace {

constexpr std::u16string_view blanks = u" \t";

bool holdsNoNul(std::u16string_view name) { return name.find(u'\0') == name.npos; }

// The arguments of one call, checked in order and made narrow for the
// service. The first refusal fills ec; every argument after it answers ""
// unchecked, so that a call reports the first argument at fault.
class Arguments {
 public:
  explicit Arguments(std::error_code& ec) : ec_(ec) { ec_.clear(); }

  // UTF-8, then the rule, then the code page: a name or value the code
  // page cannot hold would reach the file as another one.
  std::string take(std::string_view utf8, bool (*allowed)(std::u16string_view), Refusal refusal) {
    if (ec_) return {};
    if (!isUtf8(utf8)) return refuse(Refusal::NotUtf8);
    const Text text = utf8ToText(utf8);
    if (!allowed(text)) return refuse(refusal);
    if (!narrowHolds(text)) return refuse(Refusal::NotInCodePage);
    return toNarrow(text);
  }
  std::string file(std::string_view utf8) { return take(utf8, holdsNoNul, Refusal::FileName); }

  bool refused() const { return static_cast<bool>(ec_); }

 private:
  std::string refuse(Refusal refusal) {
    ec_ = refusal;
    return {};
  }
  std::error_code& ec_;
};

// One entry's file, section and key as the service takes them; braces
// take them in order, so the first refusal is the one reported.
struct EntryNames {
  std::string file;
  std::string section;
  std::string key;
};

EntryNames entryNames(Arguments& arguments, std::string_view path, std::string_view section,
                      std::string_view key) {
  return {arguments.file(path), arguments.take(section, holdsNoNul, Refusal::SectionName),
          arguments.take(key, holdsNoNul, Refusal::KeyName)};
}

std::string utf8FromNarrow(std::string_view narrow) { return textToUtf8(fromNarrow(narrow)); }

// Whole answers from the service, however long: it cuts what does not fit
// its buffer, so these ask again with a larger one.
constexpr uint32_t firstRoom = 4096;
// A cut never splits a character, so it may stop up to three bytes short.
constexpr uint32_t cutSlack = 4;

// The answer fitted when it ended more than cutSlack bytes before the end
// of the buffer; otherwise the next try doubles the room.
std::optional<uint32_t> largerUnlessFitted(uint32_t count, uint32_t room) {
  if (count + cutSlack < room) return std::nullopt;
  if (room > std::numeric_limits<uint32_t>::max() / 2) throw std::bad_alloc();
  return room * 2;
}

// The bytes a call placed in its buffer, the count it answered.
template <typename Call>
std::string wholeAnswer(Call call) {
  uint32_t count = 0;
  std::string buffer = callUntilItFits(firstRoom, '\0', [&](char* data, uint32_t room) {
    count = call(data, room);
    return largerUnlessFitted(count, room);
  });
  buffer.resize(count);
  return buffer;
}

// A listing's items, which the service separates by NULs.
template <typename List>
std::vector<std::string> listing(List list) {
  const std::string items = wholeAnswer(list);
  std::vector<std::string> result;
  for (size_t start = 0; start < items.size();) {
    const size_t end = std::min(items.find('\0', start), items.size());
    result.push_back(utf8FromNarrow(std::string_view(items).substr(start, end - start)));
    start = end + 1;
  }
  return result;
}

// The value as the service reads it: quotes removed, as
// GetPrivateProfileStringA removes them.
std::string unquoted(std::string_view value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return std::string(value);
}

Entry entryOfLine(std::string line) {
  const size_t equals = line.find('=');
  Entry entry;
  entry.name = line.substr(0, equals);
  if (equals != std::string::npos)
    entry.value = unquoted(std::string_view(line).substr(equals + 1));
  entry.line = std::move(line);
  return entry;
}

// Runs an error_code form and throws what it filled, naming the file.
template <typename Operation>
auto throwing(const std::string& file, Operation operation) {
  std::error_code ec;
  if constexpr (std::is_void_v<decltype(operation(ec))>) {
    operation(ec);
    if (ec) throw Error(ec, file);
  } else {
    auto result = operation(ec);
    if (ec) throw Error(ec, file);
    return result;
  }
}

// A write through the service; its failure's reason is the platform's.
void write(const char* section, const char* key, const char* value, const std::string& file,
           std::error_code& ec) {
  if (!ProfileService::WritePrivateProfileStringA(section, key, value, file.c_str())) {
    ec = {lastProfileWriteError(), iniCategory()};
  }
}

// A change as the platform takes it, checked as the single operation
// checks its arguments.
ProfileChange profileChange(Arguments& arguments, const Changes::Change& change) {
  const bool deletes = !change.key || !change.value;
  ProfileChange narrow;
  narrow.section = arguments.take(change.section, isStorableSection,
                                  deletes ? Refusal::Name : Refusal::SectionName);
  if (change.key)
    narrow.key =
        arguments.take(*change.key, isStorableKey, deletes ? Refusal::Name : Refusal::KeyName);
  if (change.value) narrow.value = arguments.take(*change.value, isStorableValue, Refusal::Value);
  return narrow;
}

Outcome outcomeOf(ProfileOutcome outcome) {
  switch (outcome) {
    case ProfileOutcome::Created: return Outcome::Created;
    case ProfileOutcome::Changed: return Outcome::Changed;
    case ProfileOutcome::Deleted: return Outcome::Deleted;
    case ProfileOutcome::Unchanged: break;
  }
  return Outcome::Unchanged;
}

}  // namespace

Changes& Changes::set(std::string_view section, std::string_view key, std::string_view value) {
  changes_.push_back({std::string(section), std::string(key), std::string(value)});
  return *this;
}

Changes& Changes::deleteEntry(std::string_view section, std::string_view key) {
  changes_.push_back({std::string(section), std::string(key), std::nullopt});
  return *this;
}

Changes& Changes::deleteSection(std::string_view section) {
  changes_.push_back({std::string(section), std::nullopt, std::nullopt});
  return *this;
}

std::vector<std::string> File::sectionNames(std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  if (arguments.refused()) return {};
  return listing([&](char* buffer, uint32_t room) {
    return ProfileService::GetPrivateProfileSectionNamesA(buffer, room, file.c_str());
  });
}

bool File::hasSection(std::string_view section, std::error_code& ec) const {
  Arguments arguments(ec);
  arguments.file(path_);
  arguments.take(section, holdsNoNul, Refusal::SectionName);
  if (arguments.refused()) return false;
  const Text wanted = trimmed(utf8ToText(section), blanks);
  for (const std::string& name : sectionNames(ec)) {
    if (equalsIgnoringCase(trimmed(utf8ToText(name), blanks), wanted)) return true;
  }
  return false;
}

std::vector<Entry> File::entries(std::string_view section, std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  const std::string narrowSection = arguments.take(section, holdsNoNul, Refusal::SectionName);
  if (arguments.refused()) return {};
  std::vector<Entry> result;
  for (std::string& line : listing([&](char*buffer, uint32_t room) {
         return ProfileService::GetPrivateProfileSectionA(narrowSection.c_str(), buffer, room,
                                                          file.c_str());
       })) {
    result.push_back(entryOfLine(std::move(line)));
  }
  return result;
}

std::optional<std::string> File::readText(std::string_view section, std::string_view key,
                                          std::error_code& ec) const {
  Arguments arguments(ec);
  const EntryNames names = entryNames(arguments, path_, section, key);
  if (arguments.refused()) return std::nullopt;
  const auto read = [&](const char* fallback) {
    return wholeAnswer([&](char* buffer, uint32_t room) {
      return ProfileService::GetPrivateProfileStringA(names.section.c_str(), names.key.c_str(),
                                                      fallback, buffer, room, names.file.c_str());
    });
  };
  // The service answers a missing entry with the default: only a missing
  // entry answers two different defaults.
  std::string value = read("\x01");
  if (value == "\x01" && (value = read("\x02")) == "\x02") return std::nullopt;
  return utf8FromNarrow(value);
}

std::optional<int32_t> File::readInteger(std::string_view section, std::string_view key,
                                         std::error_code& ec) const {
  Arguments arguments(ec);
  const EntryNames names = entryNames(arguments, path_, section, key);
  if (arguments.refused()) return std::nullopt;
  const auto read = [&](int32_t fallback) {
    return static_cast<int32_t>(ProfileService::GetPrivateProfileIntA(
        names.section.c_str(), names.key.c_str(), fallback, names.file.c_str()));
  };
  // As for text: a missing or empty entry answers both defaults.
  const int32_t number = read(0);
  if (number == 0 && read(1) == 1) return std::nullopt;
  return number;
}

void File::writeText(std::string_view section, std::string_view key, std::string_view value,
                     std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  const std::string narrowSection =
      arguments.take(section, isStorableSection, Refusal::SectionName);
  const std::string narrowKey = arguments.take(key, isStorableKey, Refusal::KeyName);
  const std::string narrowValue = arguments.take(value, isStorableValue, Refusal::Value);
  if (arguments.refused()) return;
  write(narrowSection.c_str(), narrowKey.c_str(), narrowValue.c_str(), file, ec);
}

void File::deleteEntry(std::string_view section, std::string_view key, std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  const std::string narrowSection = arguments.take(section, isStorableSection, Refusal::Name);
  const std::string narrowKey = arguments.take(key, isStorableKey, Refusal::Name);
  if (arguments.refused()) return;
  write(narrowSection.c_str(), narrowKey.c_str(), nullptr, file, ec);
}

void File::deleteSection(std::string_view section, std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  const std::string narrowSection = arguments.take(section, isStorableSection, Refusal::Name);
  if (arguments.refused()) return;
  write(narrowSection.c_str(), nullptr, nullptr, file, ec);
}

Applied File::apply(const Changes& changes, ApplyMode mode, std::error_code& ec) const {
  Arguments arguments(ec);
  const std::string file = arguments.file(path_);
  std::vector<ProfileChange> narrow;
  narrow.reserve(changes.list().size());
  for (const Changes::Change& change : changes.list())
    narrow.push_back(profileChange(arguments, change));
  if (arguments.refused()) return {};
  ProfileEdit edit;
  if (const int error = editPrivateProfile(file, narrow, mode == ApplyMode::Write, edit)) {
    ec = {error, iniCategory()};
    return {};
  }
  Applied applied;
  applied.changed = edit.differs;
  applied.before = utf8FromNarrow(edit.before);
  applied.after = utf8FromNarrow(edit.after);
  for (ProfileChangeResult& result : edit.results) {
    std::optional<std::string> before;
    if (result.before) before = utf8FromNarrow(*result.before);
    applied.results.push_back({outcomeOf(result.outcome), std::move(before)});
  }
  return applied;
}

std::vector<std::string> File::readAllText(std::string_view section, std::string_view key,
                                           std::error_code& ec) const {
  std::vector<Entry> lines = entries(section, ec);
  if (ec) return {};
  Arguments arguments(ec);
  arguments.take(key, holdsNoNul, Refusal::KeyName);
  if (arguments.refused()) return {};
  const Text wanted = trimmed(utf8ToText(key), blanks);
  std::vector<std::string> values;
  for (Entry& entry : lines) {
    if (entry.value && equalsIgnoringCase(trimmed(utf8ToText(entry.name), blanks), wanted))
      values.push_back(std::move(*entry.value));
  }
  return values;
}

// The throwing and fallback forms.

std::vector<std::string> File::sectionNames() const {
  return throwing(path_, [&](std::error_code& ec) { return sectionNames(ec); });
}

bool File::hasSection(std::string_view section) const {
  return throwing(path_, [&](std::error_code& ec) { return hasSection(section, ec); });
}

std::vector<Entry> File::entries(std::string_view section) const {
  return throwing(path_, [&](std::error_code& ec) { return entries(section, ec); });
}

std::optional<std::string> File::readText(std::string_view section, std::string_view key) const {
  return throwing(path_, [&](std::error_code& ec) { return readText(section, key, ec); });
}

std::string File::readText(std::string_view section, std::string_view key,
                           std::string_view fallback) const {
  return readText(section, key).value_or(std::string(fallback));
}

std::optional<int32_t> File::readInteger(std::string_view section, std::string_view key) const {
  return throwing(path_, [&](std::error_code& ec) { return readInteger(section, key, ec); });
}

int32_t File::readInteger(std::string_view section, std::string_view key, int32_t fallback) const {
  return readInteger(section, key).value_or(fallback);
}

void File::writeText(std::string_view section, std::string_view key, std::string_view value) const {
  throwing(path_, [&](std::error_code& ec) { writeText(section, key, value, ec); });
}

void File::deleteEntry(std::string_view section, std::string_view key) const {
  throwing(path_, [&](std::error_code& ec) { deleteEntry(section, key, ec); });
}

void File::deleteSection(std::string_view section) const {
  throwing(path_, [&](std::error_code& ec) { deleteSection(section, ec); });
}

Applied File::apply(const Changes& changes, ApplyMode mode) const {
  return throwing(path_, [&](std::error_code& ec) { return apply(changes, mode, ec); });
}

std::vector<std::string> File::readAllText(std::string_view section, std::string_view key) const {
  return throwing(path_, [&](std::error_code& ec) { return readAllText(section, key, ec); });
}

}  // namespace zarn::ini
