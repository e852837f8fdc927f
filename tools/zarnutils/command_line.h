// What the command line asks for: help, one call with an output form, or a
// batch read from standard input.
#pragma once

#include <string>
#include <vector>

namespace zarn::cli {

enum class Mode { Help, Call, Batch };
enum class OutputForm { Text, Raw, Json };

struct Invocation {
  Mode mode = Mode::Call;
  OutputForm form = OutputForm::Text;
  std::vector<std::string> callWords;  // CLASS.METHOD and its arguments
};

// Options come before CLASS.METHOD; every word after it is an argument, so
// an argument may look like an option. Throws UsageError.
Invocation parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace zarn::cli
