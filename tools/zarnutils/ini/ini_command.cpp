#include <iterator>

#include "ini/ini_verbs.h"

namespace zarn::cli {
namespace {

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

int reportIniFailure(ConsoleStreams& console, const std::string& text) {
  console.err << "zarnutils ini: " << text << '\n';
  return iniFailed;
}

}  // namespace zarn::cli
