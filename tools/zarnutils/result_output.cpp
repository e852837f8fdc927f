#include "result_output.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "call_hints.h"
#include "command_line.h"
#include "json_writer.h"
#include "platform/conversions.h"
#include "quoted_name.h"
#include "zarnutils/automation_error.h"

namespace zarn::cli {
namespace {

// Shortest text that reads back as the same number.
template <class Real>
std::string jsonNumber(Real value) {
  char digits[32];
  const auto [end, failure] = std::to_chars(digits, digits + sizeof digits, value);
  return failure == std::errc() ? std::string(digits, end) : "null";
}

std::string jsonValue(const Variant& result) {
  switch (result.kind()) {
    case VariantKind::Empty:
    case VariantKind::Null: return "null";
    case VariantKind::Boolean: return result.booleanBits() ? "true" : "false";
    case VariantKind::Byte: return std::to_string(result.byteValue());
    case VariantKind::Integer: return std::to_string(result.integerValue());
    case VariantKind::Long: return std::to_string(result.longValue());
    case VariantKind::Single: return jsonNumber(result.singleValue());
    case VariantKind::Double: return jsonNumber(result.realValue());
    case VariantKind::String: return jsonString(textToUtf8(result.textValue()));
    case VariantKind::Array: {
      std::string items;
      for (const Variant& item : result.arrayValue()) {
        items += (items.empty() ? "" : ",") + jsonValue(item);
      }
      return "[" + items + "]";
    }
  }
  return "null";
}

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
    const CallRequest request = parseCallRequest(splitFields(line));
    const CallOutcome outcome = target.call(request);
    if (const std::optional<std::string> hint = nulHint(request)) std::cerr << *hint;
    return outcome.status.succeeded() ? jsonResult(outcome.result)
                                      : jsonError(outcome.status.error);
  } catch (const UsageError& problem) {
    return jsonUsage(problem.what());
  }
}

}  // namespace

// An array's items one per line, as a listing's names are.
std::string rawText(const Variant& result) {
  if (result.isNull()) return "Null";
  if (result.kind() == VariantKind::Array) {
    std::string items;
    for (const Variant& item : result.arrayValue()) {
      items += (items.empty() ? "" : std::string(1, '\0')) + rawText(item);
    }
    return items;
  }
  return textToUtf8(toText(result));
}

std::string displayText(const Variant& result, bool onTerminal) {
  std::string text = rawText(result);
  if (!onTerminal) {
    std::replace(text.begin(), text.end(), '\0', '\n');
    return text;
  }
  std::string shown;
  for (size_t start = 0;;) {
    const size_t nul = text.find('\0', start);
    shown += quotedName(std::string_view(text).substr(start, nul - start));
    if (nul == std::string::npos) return shown;
    shown += '\n';
    start = nul + 1;
  }
}

std::string jsonResult(const Variant& result) {
  return "{\"type\":" + jsonString(typeName(result.kind())) + ",\"value\":" + jsonValue(result) +
         "}";
}

std::string errorLine(int32_t error) {
  return "error " + std::to_string(error) + ": " + std::string(errorDescription(error));
}

std::string jsonError(int32_t error) {
  return "{\"error\":" + std::to_string(error) +
         ",\"message\":" + jsonString(errorDescription(error)) + "}";
}

std::string jsonUsage(std::string_view message) {
  return "{\"usage\":" + jsonString(message) + "}";
}

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
