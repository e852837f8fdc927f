// What a command-line program needs from the process it runs in: its
// arguments as UTF-8 and standard streams that pass bytes unchanged.
#pragma once

#include <string>
#include <vector>

namespace zarn {

// The program's arguments, without its own name, as UTF-8. On Windows they
// come from the wide command line, so text outside the ANSI code page
// survives.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Whether standard input is a terminal that someone can answer a question on.
bool standardInputIsTerminal();

// Makes standard input and output binary: no line end is translated on the
// way in or out.
void useBinaryStandardStreams();

}  // namespace zarn
