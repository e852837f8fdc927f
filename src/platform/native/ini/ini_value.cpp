#include "platform/native/ini/ini_value.h"

namespace zarn {
namespace {

constexpr size_t integerReadLimit = 29;

int digitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string_view unquotedValue(std::string_view value) {
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  return quoted ? value.substr(1, value.size() - 2) : value;
}

uint32_t profileInteger(std::string_view value) {
  value = value.substr(0, integerReadLimit);
  while (!value.empty() && static_cast<unsigned char>(value.front()) <= ' ') value.remove_prefix(1);
  bool negative = false;
  if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  int base = 10;
  if (value.size() >= 2 && value[0] == '0') {
    switch (value[1]) {
      case 'x': base = 16; break;
      case 'o': base = 8; break;
      case 'b': base = 2; break;
      default: break;
    }
    if (base != 10) value.remove_prefix(2);
  }
  uint32_t total = 0;
  for (const char c : value) {
    const int digit = digitValue(c);
    if (digit < 0 || digit >= base) break;
    total = total * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return negative ? 0u - total : total;
}

}  // namespace zarn
