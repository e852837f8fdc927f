// The administrative verbs, "zarnutils reg ..." and "zarnutils ini ...",
// which answer with exit codes instead of the methods' results: the one list
// that the command line, --help and the shell completion (which reads
// --help) take them and their own verbs from.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "console_streams.h"

namespace zarn::cli {

struct AdminVerb {
  const char* name;
  int (*run)(const std::vector<std::string>&, ConsoleStreams&);
  std::vector<std::string> (*verbNames)();  // query, add ... in the verb's order
  const char* usageArguments;               // what the usage line shows after them
};

std::span<const AdminVerb> adminVerbs();
// Nothing for a word that is no administrative verb.
const AdminVerb* findAdminVerb(std::string_view name);

}  // namespace zarn::cli
