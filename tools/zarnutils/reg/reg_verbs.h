// zarnutils reg: the verbs of the platform's reg.exe (query, add, delete,
// copy, export, import) with its syntax, output layout, messages and exit
// codes, working through RegistryService alone so that the same code runs
// over the native store and over the platform's registry. One file per verb;
// reg_command.cpp holds the table that finds them.
#pragma once

#include <string>
#include <vector>

#include "console_streams.h"
#include "reg/reg_switches.h"

namespace zarn::cli {

// words: everything after "reg". Returns the exit code: 0 success, 1 failure.
int runReg(const std::vector<std::string>& words, ConsoleStreams& console);

// Each verb gets its words already split into fixed words and switches.
int regQuery(const RegArguments& arguments, ConsoleStreams& console);
int regAdd(const RegArguments& arguments, ConsoleStreams& console);
int regDelete(const RegArguments& arguments, ConsoleStreams& console);
int regCopy(const RegArguments& arguments, ConsoleStreams& console);
int regExport(const RegArguments& arguments, ConsoleStreams& console);
int regImport(const RegArguments& arguments, ConsoleStreams& console);

}  // namespace zarn::cli
