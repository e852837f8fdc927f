#include "admin_verbs.h"

#include <iostream>
#include <iterator>

#include "ini/ini_verbs.h"
#include "platform/console.h"
#include "reg/reg.h"

namespace zarn::cli {
namespace {

struct AdminVerb {
  const char* name;
  int (*run)(const std::vector<std::string>&, ConsoleStreams&);
};

constexpr AdminVerb adminVerbs[] = {{"reg", runReg}, {"ini", runIni}};

}  // namespace

std::optional<int> runAdminVerb(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  for (const AdminVerb& verb : adminVerbs) {
    if (arguments[0] != verb.name) continue;
    ConsoleStreams console{std::cin, std::cout, std::cerr, standardInputIsTerminal()};
    const int exitCode = verb.run({std::next(arguments.begin()), arguments.end()}, console);
    std::cout.flush();
    return exitCode;
  }
  return std::nullopt;
}

}  // namespace zarn::cli
