#include "call_request.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

#include "command_line.h"
#include "quoted_name.h"

namespace zarn::cli {
namespace {

[[noreturn]] void reject(std::string_view written, std::string_view expected) {
  throw UsageError("argument " + alwaysQuoted(written) + ": " + std::string(expected));
}

template <class Number>
bool parseWhole(std::string_view digits, Number& number, auto... format) {
  const char* end = digits.data() + digits.size();
  const auto [stop, failure] = std::from_chars(digits.data(), end, number, format...);
  return !digits.empty() && failure == std::errc() && stop == end;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

Text unescape(std::string_view written, std::string_view escaped) {
  std::string plain;
  Text text;
  auto flushPlain = [&] {
    text += utf8ToText(plain);
    plain.clear();
  };
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '\\') {
      plain.push_back(escaped[i]);
      continue;
    }
    if (++i == escaped.size()) reject(written, "ends in a lone backslash");
    switch (escaped[i]) {
      case '\\': plain.push_back('\\'); break;
      case 't': plain.push_back('\t'); break;
      case 'n': plain.push_back('\n'); break;
      case 'r': plain.push_back('\r'); break;
      case '0': plain.push_back('\0'); break;
      case 'u': {
        if (escaped.size() - i <= 4) reject(written, "\\u needs four hex digits");
        int unit = 0;
        for (size_t k = 1; k <= 4; ++k) {
          const int digit = hexDigit(escaped[i + k]);
          if (digit < 0) reject(written, "\\u needs four hex digits");
          unit = unit * 16 + digit;
        }
        flushPlain();
        text.push_back(static_cast<char16_t>(unit));
        i += 4;
        break;
      }
      default: reject(written, "unknown escape (use \\\\ \\t \\n \\r \\0 \\uXXXX)");
    }
  }
  flushPlain();
  return text;
}

// 0x-prefixed identifiers are taken as 32-bit patterns (0xFFFFFFFF is -1),
// decimal ones as signed numbers.
int32_t parseDispatchId(std::string_view target, std::string_view written) {
  const bool hex = written.starts_with("0x") || written.starts_with("0X");
  const std::string_view digits = hex ? written.substr(2) : written;
  int32_t id = 0;
  uint32_t pattern = 0;
  const bool whole = hex ? parseWhole(digits, pattern, 16) : parseWhole(digits, id, 10);
  if (hex) id = static_cast<int32_t>(pattern);
  if (!whole) {
    throw UsageError(alwaysQuoted(target) +
                     ": a dispatch identifier is 0x-prefixed hex or decimal");
  }
  return id;
}

}  // namespace

Variant parseArgument(std::string_view written) {
  if (written == "null") return Variant::null();
  if (written == "empty") return Variant();
  if (written.size() < 2 || written[1] != ':') return Variant::text(utf8ToText(written));

  const std::string_view rest = written.substr(2);
  switch (written[0]) {
    case 'i': {
      int32_t number = 0;
      if (!parseWhole(rest, number, 10)) reject(written, "i: needs a whole number in Long range");
      return Variant::long32(number);
    }
    case 'b':
      if (rest == "true") return Variant::boolean(true);
      if (rest == "false") return Variant::boolean(false);
      reject(written, "b: needs true or false");
    case 'd': {
      double number = 0;
      if (!parseWhole(rest, number, std::chars_format::general) || !std::isfinite(number)) {
        reject(written, "d: needs a finite decimal number");
      }
      return Variant::real(number);
    }
    case 's': return Variant::text(utf8ToText(rest));
    case 'a': {
      std::vector<Variant> items;
      for (size_t start = 0; start < rest.size();) {
        const size_t end = std::min(rest.find(';', start), rest.size());
        items.push_back(parseArgument(rest.substr(start, end - start)));
        start = end + 1;
      }
      return Variant::array(std::move(items));
    }
    case 'x': return Variant::text(unescape(written, rest));
    default: return Variant::text(utf8ToText(written));
  }
}

CallRequest parseCallRequest(std::span<const std::string> words) {
  if (words.empty()) throw UsageError("CLASS.METHOD expected");
  for (size_t i = 0; i < words.size(); ++i) {
    requireUtf8(words[i], "field " + std::to_string(i + 1));
  }
  const std::string_view target = words[0];
  // The last point separates, so a ProgID such as ZarnUtils.Regedit works.
  const size_t point = target.rfind('.');
  if (point == std::string_view::npos || point == 0 || point + 1 == target.size()) {
    throw UsageError(alwaysQuoted(target) + ": CLASS.METHOD or CLASS.#ID expected");
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
