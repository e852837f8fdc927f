// INI file bytes: read, list, write one entry, read it back, and check that
// the write changed nothing but the bytes it had to.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_scratch.h"
#include "platform/profile_service.h"

namespace {

using zarn::ProfileService;

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> listed(const char* buffer, uint32_t count) {
  std::vector<std::string> items;
  for (std::string_view rest(buffer, count); !rest.empty();) {
    const size_t end = std::min(rest.find('\0'), rest.size());
    items.emplace_back(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return items;
}

// The part of `after` that differs from `before`, once their common start
// and end are taken off; `removed` gets the part of `before` it replaced.
std::string_view changedPart(std::string_view before, std::string_view after,
                             std::string_view& removed) {
  size_t start = 0;
  while (start < before.size() && start < after.size() && before[start] == after[start]) ++start;
  size_t end = 0;
  while (end < before.size() - start && end < after.size() - start &&
         before[before.size() - 1 - end] == after[after.size() - 1 - end]) {
    ++end;
  }
  removed = before.substr(start, before.size() - start - end);
  return after.substr(start, after.size() - start - end);
}

// A new section's header holds its name without the blanks around it, as
// the platform writes it.
std::string_view withoutBlanks(std::string_view name) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!name.empty() && blank(name.front())) name.remove_prefix(1);
  while (!name.empty() && blank(name.back())) name.remove_suffix(1);
  return name;
}

// Only what a write adds: line ends around a header for the section and the
// entry, or the value alone; the common start and end taken off above may
// have cut into either end of it.
bool onlyWrittenText(std::string_view added, const std::string& section) {
  std::string rest(added);
  std::erase_if(rest, [](char c) { return c == '\r' || c == '\n'; });
  const std::string header = "[" + std::string(withoutBlanks(section)) + "]";
  return (header + "FuzzEntry=fuzz value").find(rest) != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A new name every time, so that no cached parse of an earlier input with
  // the same size and time can stand in for this one.
  static unsigned long long run = 0;
  const std::string file =
      (zarn::fuzz::scratchFolder() / ("f" + std::to_string(run++) + ".ini")).string();
  const std::string before(reinterpret_cast<const char*>(data), size);
  std::ofstream(file, std::ios::binary) << before;

  std::vector<char> buffer(1 << 16);
  const uint32_t room = static_cast<uint32_t>(buffer.size());
  const auto sections = listed(buffer.data(), ProfileService::GetPrivateProfileSectionNamesA(
                                                  buffer.data(), room, file.c_str()));
  for (const std::string& section : sections) {
    ProfileService::GetPrivateProfileSectionA(section.c_str(), buffer.data(), room, file.c_str());
  }
  char text[255];
  ProfileService::GetPrivateProfileStringA("s", "k", "default", text, sizeof text, file.c_str());
  ProfileService::GetPrivateProfileIntA("s", "k", 7, file.c_str());

  const std::string section = sections.empty() ? "s" : sections.front();
  const bool written = ProfileService::WritePrivateProfileStringA(section.c_str(), "FuzzEntry",
                                                                  "fuzz value", file.c_str());
  const std::string after = readBytes(file);
  if (!written) {
    if (after != before) std::abort();  // a refused write changed the file
  } else {
    const uint32_t count = ProfileService::GetPrivateProfileStringA(
        section.c_str(), "FuzzEntry", "", text, sizeof text, file.c_str());
    if (std::string_view(text, count) != "fuzz value") std::abort();  // not read back
    // UTF-16 files are written back whole in their own encoding.
    const bool utf16 = before.starts_with("\xFF\xFE") || before.starts_with("\xFE\xFF");
    std::string_view removed;
    const std::string_view added = changedPart(before, after, removed);
    if (!utf16 && (!onlyWrittenText(added, section) ||
                   removed.find_first_of("\r\n") != std::string_view::npos)) {
      std::abort();  // bytes the write had no business with changed
    }
  }
  std::remove(file.c_str());
  return 0;
}
