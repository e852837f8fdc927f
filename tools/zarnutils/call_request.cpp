#include "call_request.h"

#include <charconv>

#include "call_arguments.h"
#include "usage_error.h"

namespace zarn::cli {
namespace {

// 0x-prefixed identifiers are taken as 32-bit patterns (0xFFFFFFFF is -1),
// decimal ones as signed numbers.
int32_t parseDispatchId(std::string_view target, std::string_view written) {
  const bool hex = written.starts_with("0x") || written.starts_with("0X");
  const std::string_view digits = hex ? written.substr(2) : written;
  const char* end = digits.data() + digits.size();
  bool whole = false;
  int32_t id = 0;
  if (hex) {
    uint32_t pattern = 0;
    const auto [stop, failure] = std::from_chars(digits.data(), end, pattern, 16);
    whole = failure == std::errc() && stop == end;
    id = static_cast<int32_t>(pattern);
  } else {
    const auto [stop, failure] = std::from_chars(digits.data(), end, id, 10);
    whole = failure == std::errc() && stop == end;
  }
  if (digits.empty() || !whole) {
    throw UsageError("\"" + std::string(target) +
                     "\": a dispatch identifier is 0x-prefixed hex or decimal");
  }
  return id;
}

}  // namespace

CallRequest parseCallRequest(std::span<const std::string> words) {
  if (words.empty()) throw UsageError("CLASS.METHOD expected");
  const std::string_view target = words[0];
  // The last point separates, so a ProgID such as ZarnUtils.Regedit works.
  const size_t point = target.rfind('.');
  if (point == std::string_view::npos || point == 0 || point + 1 == target.size()) {
    throw UsageError("\"" + std::string(target) + "\": CLASS.METHOD or CLASS.#ID expected");
  }
  CallRequest request;
  request.className = utf8ToText(target.substr(0, point));
  const std::string_view member = target.substr(point + 1);
  if (member.starts_with('#')) {
    request.method = parseDispatchId(target, member.substr(1));
  } else {
    request.method = utf8ToText(member);
  }
  for (const std::string& word : words.subspan(1)) {
    request.arguments.emplace_back(parseArgument(word));
  }
  return request;
}

}  // namespace zarn::cli
