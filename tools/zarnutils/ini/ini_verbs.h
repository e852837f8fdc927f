// zarnutils ini: get, set, del and list on INI files, for shell scripts,
// through ProfileService alone. Exit codes: 0 success, 1 failure (a missing
// file, section or entry, a refused write), 2 usage. One file per verb;
// ini_command.cpp holds the table that finds them.
#pragma once

#include <string>
#include <vector>

#include "console_streams.h"

namespace zarn::cli {

constexpr int iniSucceeded = 0;
constexpr int iniFailed = 1;
constexpr int iniUsageFailed = 2;

// words: everything after "ini".
int runIni(const std::vector<std::string>& words, ConsoleStreams& console);

// Each verb gets the words after its name, already counted.
int iniGet(const std::vector<std::string>& words, ConsoleStreams& console);
int iniSet(const std::vector<std::string>& words, ConsoleStreams& console);
int iniDel(const std::vector<std::string>& words, ConsoleStreams& console);
int iniList(const std::vector<std::string>& words, ConsoleStreams& console);

// "zarnutils ini: " and the text on standard error; returns 1.
int reportIniFailure(ConsoleStreams& console, const std::string& text);

}  // namespace zarn::cli
