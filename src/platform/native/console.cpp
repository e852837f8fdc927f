// On Linux the command line is already UTF-8 and streams are byte streams.
#include "platform/console.h"

#include <unistd.h>

namespace zarn {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

bool standardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void useBinaryStandardStreams() {}

}  // namespace zarn
