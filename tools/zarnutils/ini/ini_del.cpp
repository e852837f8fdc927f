// ini del FILE SECTION [KEY]: deletes one entry, or the whole section,
// through the platform's own forms of the profile write (no value deletes
// the entry, no key the section). Nothing to delete is not a failure.
#include "file_bytes.h"
#include "ini/ini_verbs.h"
#include "narrow_utf8.h"
#include "platform/profile_service.h"

namespace zarn::cli {

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

}  // namespace zarn::cli
