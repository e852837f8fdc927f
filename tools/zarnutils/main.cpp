// zarnutils: the command-line caller of the ZarnUtils classes. See
// usage_text.cpp for what it does.
#include <cstdio>
#include <iostream>

#include "batch_mode.h"
#include "call_request.h"
#include "command_line.h"
#include "late_call.h"
#include "platform/console.h"
#include "result_output.h"
#include "usage_error.h"
#include "usage_text.h"

namespace zarn::cli {
namespace {

constexpr int callFailed = 1;
constexpr int usageFailed = 2;

int runCall(const Invocation& invocation) {
  const CallOutcome outcome = performCall(parseCallRequest(invocation.callWords));
  if (invocation.form == OutputForm::Json) {
    std::cout << (outcome.status.succeeded() ? jsonResult(outcome.result)
                                             : jsonError(outcome.status.error))
              << '\n';
  } else if (!outcome.status.succeeded()) {
    std::cerr << errorLine(outcome.status.error) << '\n';
  } else if (invocation.form == OutputForm::Raw) {
    std::cout << rawText(outcome.result);
  } else {
    std::cout << displayText(outcome.result) << '\n';
  }
  return outcome.status.succeeded() ? 0 : callFailed;
}

int run(const std::vector<std::string>& arguments) {
  try {
    const Invocation invocation = parseCommandLine(arguments);
    switch (invocation.mode) {
      case Mode::Help: std::cout << usageText(); return 0;
      case Mode::Batch: runBatch(std::cin, std::cout); return 0;
      case Mode::Call: return runCall(invocation);
    }
  } catch (const UsageError& problem) {
    std::cerr << "zarnutils: " << problem.what() << '\n' << usageHint();
  }
  return usageFailed;
}

}  // namespace
}  // namespace zarn::cli

int main(int argc, char** argv) {
  zarn::useBinaryStandardStreams();
  std::ios::sync_with_stdio(false);
  return zarn::cli::run(zarn::commandLineArguments(argc, argv));
}
