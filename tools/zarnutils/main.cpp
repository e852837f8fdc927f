// zarnutils: the command-line caller of the ZarnUtils classes. See
// usage_text.cpp for what it does.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "admin_verbs.h"
#include "call_hints.h"
#include "call_request.h"
#include "call_target.h"
#include "command_line.h"
#include "console_streams.h"
#include "result_output.h"
#include "usage_text.h"

namespace zarn::cli {
namespace {

constexpr int callFailed = 1;
constexpr int usageFailed = 2;

// reg.exe asks for help with /?; --help and -h mean the same to the reg
// verbs, alone or after a verb's name.
std::vector<std::string> regHelpAsReg(std::vector<std::string> words) {
  auto isHelp = [](const std::string& word) { return word == "--help" || word == "-h"; };
  if (words.size() == 1 && isHelp(words[0])) words[0] = "/?";
  if (words.size() == 2 && isHelp(words[1])) words[1] = "/?";
  return words;
}

int runAdminVerb(const Invocation& invocation) {
  const std::string& name = invocation.callWords[0];
  std::vector<std::string> words(std::next(invocation.callWords.begin()),
                                 invocation.callWords.end());
  if (name == "reg") words = regHelpAsReg(std::move(words));
  ConsoleStreams console{std::cin, std::cout, std::cerr, standardInputIsTerminal()};
  console.json = invocation.form == OutputForm::Json;
  console.quiet = invocation.quiet;
  console.outputIsTerminal = standardOutputIsTerminal();
  console.binaryOut = &std::cout;
  const AdminVerb* verb = findAdminVerb(name);
  const int exitCode = verb ? verb->run(words, console) : usageFailed;
  std::cout.flush();
  return exitCode;
}

std::unique_ptr<CallTarget> callTarget(const Invocation& invocation) {
  if (invocation.throughCom) return comCallTarget(invocation.binding);
  return std::make_unique<InProcessCallTarget>();
}

int runCall(CallTarget& target, const Invocation& invocation) {
  const CallRequest request = parseCallRequest(invocation.callWords);
  const CallOutcome outcome = target.call(request);
  if (const std::optional<std::string> hint = nulHint(request)) std::cerr << *hint;
  if (invocation.form == OutputForm::Json) {
    std::cout << (outcome.status.succeeded() ? jsonResult(outcome.result)
                                             : jsonError(outcome.status.error))
              << '\n';
  } else if (!outcome.status.succeeded()) {
    std::cerr << errorLine(outcome.status.error) << '\n';
  } else if (invocation.form == OutputForm::Raw) {
    std::cout << rawText(outcome.result);
  } else {
    std::cout << displayText(outcome.result, standardOutputIsTerminal()) << '\n';
  }
  if (outcome.status.succeeded()) return 0;
  if (const std::optional<std::string> hint = callHint(request, outcome.status.error)) {
    std::cerr << *hint;
  }
  return callFailed;
}

int run(const std::vector<std::string>& arguments) {
  try {
    for (size_t i = 0; i < arguments.size(); ++i) {
      requireUtf8(arguments[i], "argument " + std::to_string(i + 1));
    }
    const Invocation invocation = parseCommandLine(arguments);
    if (invocation.mode == Mode::Verb) return runAdminVerb(invocation);
    if (invocation.mode == Mode::Help) {
      std::cout << usageText();
      return 0;
    }
    if (invocation.mode == Mode::Version) {
      std::cout << versionText();
      return 0;
    }
    const std::unique_ptr<CallTarget> target = callTarget(invocation);
    if (invocation.mode == Mode::Batch) {
      runBatch(*target, std::cin, std::cout);
      return 0;
    }
    return runCall(*target, invocation);
  } catch (const UsageError& problem) {
    std::cerr << "zarnutils: " << problem.what() << '\n' << usageHint();
  }
  return usageFailed;
}

}  // namespace
}  // namespace zarn::cli

int main(int argc, char** argv) {
  zarn::cli::useBinaryStandardStreams();
  std::ios::sync_with_stdio(false);
  return zarn::cli::run(zarn::cli::commandLineArguments(argc, argv));
}
