#include "command_line.h"

#include "admin_verbs.h"
#include "automation/text.h"
#include "quoted_name.h"

namespace zarn::cli {
namespace {

bool isVerb(const std::string& word) { return findAdminVerb(word) != nullptr; }

}  // namespace

void requireUtf8(std::string_view word, const std::string& name) {
  if (isUtf8(word)) return;
  // Shown with every byte outside printable ASCII as \xHH, so that the
  // message itself is text.
  std::string shown;
  for (const char c : word) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
      shown.push_back(c);
      continue;
    }
    static constexpr char hex[] = "0123456789ABCDEF";
    shown += "\\x";
    shown += hex[byte >> 4];
    shown += hex[byte & 0xF];
  }
  throw UsageError(name + " is not UTF-8: \"" + shown + "\"");
}

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
      throw UsageError("unknown option " + quotedName(option));
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
