// zarnutils ini: get, set, del and list on INI files, for shell scripts,
// through the public INI API alone. Exit codes: 0 success, 1 failure (a missing
// file, section or entry, a refused write), 2 usage.
#pragma once

#include <string>
#include <vector>

#include "console_streams.h"

namespace zarn::cli {

// words: everything after "ini".
int runIni(const std::vector<std::string>& words, ConsoleStreams& console);

// get, set, del, list: the names of the verbs' table, in its order.
std::vector<std::string> iniVerbNames();

}  // namespace zarn::cli
