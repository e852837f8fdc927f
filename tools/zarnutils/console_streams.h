// The console a command-line program talks through: its arguments as UTF-8,
// standard streams that pass bytes unchanged, and whether its questions can
// be answered (a prompt must never wait on input that is not a terminal).
// console_streams.cpp holds the Linux and the Windows forms.
#pragma once

#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "quoted_name.h"

namespace zarn::cli {

// The streams an administrative verb talks through, and how the command
// line asked it to answer.
struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inputIsTerminal;
  bool json = false;   // --json: the data as one JSON document (docs/cli.md)
  bool quiet = false;  // -q: no success messages, only data and errors
  // Set when a verb writes its data (a .reg file, say) to standard output,
  // which then carries nothing else.
  bool dataOnOutput = false;
  // Standard output without any line-end translation, for such data.
  std::ostream* binaryOut = nullptr;
  // Standard output is a terminal (a console on Windows): names and data
  // written to it are shown through quotedName.
  bool outputIsTerminal = false;

  // Where messages go: standard error whenever the data goes to standard
  // output, so that the data stays whole.
  std::ostream& messages() { return json || dataOnOutput ? err : out; }

  // A name or datum as it goes to standard output: exact, unless a person
  // reads it on a terminal.
  std::string shown(std::string_view text) const {
    return outputIsTerminal ? quotedName(text) : std::string(text);
  }
};

// The program's arguments, without its own name, as UTF-8. On Windows they
// come from the wide command line, so text outside the ANSI code page
// survives.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// Whether standard input is a terminal that someone can answer a question on.
bool standardInputIsTerminal();

// Whether standard output is a terminal (on Windows, a console).
bool standardOutputIsTerminal();

// Makes standard input and output binary: no line end is translated on the
// way in or out.
void useBinaryStandardStreams();

}  // namespace zarn::cli
