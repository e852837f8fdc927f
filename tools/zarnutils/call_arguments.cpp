#include "call_arguments.h"

#include <charconv>
#include <cmath>
#include <string>

#include "usage_error.h"

namespace zarn::cli {
namespace {

[[noreturn]] void reject(std::string_view written, std::string_view expected) {
  throw UsageError("argument \"" + std::string(written) + "\": " + std::string(expected));
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
    case 'x': return Variant::text(unescape(written, rest));
    default: return Variant::text(utf8ToText(written));
  }
}

}  // namespace zarn::cli
