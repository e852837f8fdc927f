// ini set FILE SECTION KEY VALUE: writes one entry, creating the section
// and the file when missing.
#include <algorithm>

#include "ini/ini_verbs.h"
#include "narrow_utf8.h"
#include "platform/profile_service.h"

namespace zarn::cli {
namespace {

bool hasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

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

}  // namespace zarn::cli
