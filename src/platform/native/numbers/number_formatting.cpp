#include "platform/native/numbers/number_formatting.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace zarn {
namespace {

// Enough digits to print any double exactly, so rounding sees the true value.
constexpr int exactDigits = 800;

struct Decimal {
  std::string digits;  // significant digits, the first one nonzero
  int exponent;        // of the first digit
};

Decimal exactDecimal(double magnitude) {
  char buffer[exactDigits + 16];
  std::snprintf(buffer, sizeof buffer, "%.*e", exactDigits, magnitude);
  std::string text(buffer);
  const size_t e = text.find('e');
  Decimal decimal{text.substr(0, 1) + text.substr(2, e - 2), std::atoi(text.c_str() + e + 1)};
  return decimal;
}

Decimal rounded(Decimal exact, int significantDigits) {
  const bool up = exact.digits[size_t(significantDigits)] >= '5';
  std::string digits = exact.digits.substr(0, size_t(significantDigits));
  if (up) {
    size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) {
      digits.insert(digits.begin(), '1');
      ++exact.exponent;
    } else {
      ++digits[i - 1];
    }
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return {digits, exact.exponent};
}

std::string exponentForm(const Decimal& decimal) {
  std::string text = decimal.digits.substr(0, 1);
  if (decimal.digits.size() > 1) text += "." + decimal.digits.substr(1);
  const int magnitude = std::abs(decimal.exponent);
  text += decimal.exponent < 0 ? "E-" : "E+";
  if (magnitude < 10) text += '0';
  return text + std::to_string(magnitude);
}

std::string plainForm(const Decimal& decimal) {
  if (decimal.exponent < 0)
    return "0." + std::string(size_t(-decimal.exponent - 1), '0') + decimal.digits;
  const size_t whole = size_t(decimal.exponent) + 1;
  if (decimal.digits.size() <= whole)
    return decimal.digits + std::string(whole - decimal.digits.size(), '0');
  return decimal.digits.substr(0, whole) + "." + decimal.digits.substr(whole);
}

}  // namespace

Text realToText(double value, int significantDigits) {
  // The platform's own spellings; a NaN with its sign bit set, as the
  // processor makes one from an invalid operation, is the "indefinite" one.
  if (std::isnan(value)) return std::signbit(value) ? u"-NAN(IND)" : u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  const Decimal decimal = rounded(exactDecimal(std::fabs(value)), significantDigits);
  const bool exponent = decimal.exponent < -4 || decimal.exponent >= significantDigits;
  const std::string text =
      (value < 0 ? "-" : "") + (exponent ? exponentForm(decimal) : plainForm(decimal));
  return Text(text.begin(), text.end());
}

}  // namespace zarn
