#include "command_line.h"

namespace zarn::cli {
namespace {

bool isVerb(const std::string& word) { return word == "reg" || word == "ini"; }

}  // namespace

Invocation parseCommandLine(const std::vector<std::string>& arguments) {
  Invocation invocation;
  bool formGiven = false;
  auto chooseForm = [&](OutputForm form) {
    if (formGiven && invocation.form != form)
      throw UsageError("--json and --raw exclude each other");
    invocation.form = form;
    formGiven = true;
  };
  size_t next = 0;
  for (; next < arguments.size() && arguments[next].starts_with("-"); ++next) {
    const std::string& option = arguments[next];
    if (option == "--help" || option == "-h") {
      invocation.mode = Mode::Help;
      return invocation;
    }
    if (option == "--version" || option == "-V") {
      invocation.mode = Mode::Version;
      return invocation;
    }
    if (option == "--json") {
      chooseForm(OutputForm::Json);
    } else if (option == "--raw") {
      chooseForm(OutputForm::Raw);
    } else if (option == "--batch") {
      invocation.mode = Mode::Batch;
    } else if (option == "--com") {
      invocation.throughCom = true;
    } else if (option == "--early") {
      invocation.binding = Binding::Early;
    } else if (option == "--quiet" || option == "-q") {
      invocation.quiet = true;
    } else {
      throw UsageError("unknown option " + option);
    }
  }
  if (invocation.binding == Binding::Early && !invocation.throughCom) {
    throw UsageError("--early needs --com");
  }
  invocation.callWords.assign(arguments.begin() + static_cast<std::ptrdiff_t>(next),
                              arguments.end());
  if (!invocation.callWords.empty() && isVerb(invocation.callWords[0])) {
    // The verbs answer the shell on their own; only the output options apply.
    if (invocation.mode == Mode::Batch || invocation.throughCom ||
        (formGiven && invocation.form == OutputForm::Raw)) {
      throw UsageError("the reg and ini verbs take --json and --quiet only");
    }
    invocation.mode = Mode::Verb;
    return invocation;
  }
  if (invocation.mode == Mode::Batch) {
    if (invocation.form == OutputForm::Raw) throw UsageError("--batch writes JSON lines only");
    if (!invocation.callWords.empty())
      throw UsageError("--batch reads its calls from standard input");
  } else if (invocation.callWords.empty()) {
    throw UsageError("CLASS.METHOD expected");
  }
  return invocation;
}

}  // namespace zarn::cli
