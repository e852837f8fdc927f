#include "ini/profile_reads.h"

#include "narrow_utf8.h"
#include "platform/profile_service.h"

namespace zarn::cli {
namespace {

constexpr uint32_t firstRoom = 4096;
// A cut never splits a character, so it may stop up to three bytes short.
constexpr uint32_t cutSlack = 4;

// Items separated by NULs; the listing was cut when it filled the buffer.
template <typename List>
std::vector<std::string> listing(List list) {
  for (uint32_t room = firstRoom;; room *= 2) {
    std::string buffer(room, '\0');
    const uint32_t count = list(buffer.data(), room);
    if (count + cutSlack >= room) continue;
    std::vector<std::string> items;
    for (size_t start = 0; start < count;) {
      const size_t end = buffer.find('\0', start);
      items.push_back(utf8FromNarrow(buffer.substr(start, end - start)));
      start = end + 1;
    }
    return items;
  }
}

std::string readValue(const std::string& file, const std::string& section, const std::string& key,
                      const char* fallback) {
  for (uint32_t room = firstRoom;; room *= 2) {
    std::string buffer(room, '\0');
    const uint32_t count = ProfileService::GetPrivateProfileStringA(
        narrowFromUtf8(section).c_str(), narrowFromUtf8(key).c_str(), fallback, buffer.data(), room,
        narrowFromUtf8(file).c_str());
    if (count + cutSlack < room) return buffer.substr(0, count);
  }
}

}  // namespace

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

std::optional<std::string> entryValue(const std::string& file, const std::string& section,
                                      const std::string& key) {
  // Two different defaults come back only when there is no entry.
  const std::string first = readValue(file, section, key, "\x01");
  if (first != "\x01") return utf8FromNarrow(first);
  const std::string second = readValue(file, section, key, "\x02");
  if (second != "\x02") return utf8FromNarrow(second);
  return std::nullopt;
}

}  // namespace zarn::cli
