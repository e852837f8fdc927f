// zarnutils ini: get, set, apply, del and list on INI files, for shell
// scripts, through the public INI API alone. Exit codes: 0 success, 1
// failure (a missing file, section or entry, a refused write), 2 usage, 3
// a change made by set or apply when asked to tell (ini_apply.h).
#pragma once

#include <string>
#include <vector>

#include "console_streams.h"

namespace zarn::cli {

// words: everything after "ini".
int runIni(const std::vector<std::string>& words, ConsoleStreams& console);

// get, set, apply, del, list: the names of the verbs' table, in its order.
std::vector<std::string> iniVerbNames();

}  // namespace zarn::cli
