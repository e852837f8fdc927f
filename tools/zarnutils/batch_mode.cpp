#include "batch_mode.h"

#include <string>
#include <vector>

#include "call_request.h"
#include "result_output.h"
#include "usage_error.h"

namespace zarn::cli {
namespace {

std::vector<std::string> splitFields(std::string_view line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', start)) {
    fields.emplace_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.emplace_back(line.substr(start));
  return fields;
}

std::string answerLine(CallTarget& target, std::string_view line) {
  try {
    const CallOutcome outcome = target.call(parseCallRequest(splitFields(line)));
    return outcome.status.succeeded() ? jsonResult(outcome.result)
                                      : jsonError(outcome.status.error);
  } catch (const UsageError& problem) {
    return jsonUsage(problem.what());
  }
}

}  // namespace

void runBatch(CallTarget& target, std::istream& input, std::ostream& output) {
  std::string line;
  while (std::getline(input, line)) {
    if (line.ends_with('\r')) line.pop_back();
    if (line.empty()) continue;
    // Flushed per line, so a program that feeds lines one by one and waits
    // for each answer is not left waiting.
    output << answerLine(target, line) << std::endl;
  }
}

}  // namespace zarn::cli
