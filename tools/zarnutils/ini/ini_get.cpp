// ini get FILE SECTION KEY: the entry's whole value, or which of file,
// section and entry is missing.
#include "file_bytes.h"
#include "ini/ini_verbs.h"
#include "ini/profile_reads.h"

namespace zarn::cli {

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

}  // namespace zarn::cli
