// The streams an administrative verb talks through, and whether its
// questions can be answered: a prompt must never wait on input that is not
// a terminal.
#pragma once

#include <iostream>

namespace zarn::cli {

struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool inputIsTerminal;
};

}  // namespace zarn::cli
