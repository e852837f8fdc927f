// ini list FILE [SECTION]: the file's section names, or the section's lines,
// one per line.
#include "file_bytes.h"
#include "ini/ini_verbs.h"
#include "ini/profile_reads.h"

namespace zarn::cli {

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

}  // namespace zarn::cli
