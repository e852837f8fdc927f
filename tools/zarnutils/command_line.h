// What the command line asks for: help, one call with an output form, or a
// batch read from standard input; and whether the calls go to the classes in
// this program or through the registered COM server.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zarn::cli {

// A command line or batch line that does not say what to call: a missing or
// malformed CLASS.METHOD, an unknown option, an argument of a malformed form.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws UsageError saying which word (name, e.g. "argument 2") is not
// UTF-8: decoding would turn its bytes into U+FFFD, and two different names
// into one.
void requireUtf8(std::string_view word, const std::string& name);

// Verb: "reg ..." or "ini ...", the administrative verbs with exit codes.
enum class Mode { Help, Version, Call, Batch, Verb };
enum class OutputForm { Text, Raw, Json };
// How a COM call finds its method: by name through IDispatch, or through the
// class's interface.
enum class Binding { Late, Early };

struct Invocation {
  Mode mode = Mode::Call;
  OutputForm form = OutputForm::Text;
  bool throughCom = false;
  Binding binding = Binding::Late;
  bool quiet = false;  // -q: the verbs print no success messages
  // CLASS.METHOD and its arguments, or the verb's name and its words.
  std::vector<std::string> callWords;
};

// Options come before CLASS.METHOD or the verb; every word after it is an
// argument, so an argument may look like an option. Throws UsageError.
Invocation parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace zarn::cli
