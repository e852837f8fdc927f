#include "platform/native/numbers/number_parsing.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

// Exponents beyond this are far outside every range, whatever the digits.
constexpr int64_t exponentLimit = 100000;

[[noreturn]] void notANumber() { throw AutomationError(error::TypeMismatch); }

// The characters the platform classifies as blanks.
bool isBlank(char16_t c) {
  return (c >= 0x09 && c <= 0x0D) || (c >= 0x1C && c <= 0x20) || c == 0x85 || c == 0xA0 ||
         c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int radixDigit(char16_t c, unsigned base) {
  int value = -1;
  if (isDigit(c))
    value = c - u'0';
  else if (c >= u'a' && c <= u'f')
    value = c - u'a' + 10;
  else if (c >= u'A' && c <= u'F')
    value = c - u'A' + 10;
  return value >= 0 && unsigned(value) < base ? value : -1;
}

class Parser {
 public:
  explicit Parser(std::u16string_view text) : text_(text) {}

  NumericText parse() {
    readLeading();
    if (more() && text_[pos_] == u'&') {
      if (currency_) notANumber();
      readRadix();
    } else {
      readDecimal();
    }
    readTrailing();
    if (tooBig_) throw AutomationError(error::Overflow);
    number_.negative = !number_.radix && (minus_ || paren_ || trailingMinus_);
    return number_;
  }

 private:
  bool more() const { return pos_ < text_.size(); }

  void readLeading() {
    for (; more(); ++pos_) {
      const char16_t c = text_[pos_];
      if (isBlank(c)) continue;
      bool* seen = c == u'+'   ? &plus_
                   : c == u'-' ? &minus_
                   : c == u'(' ? &paren_
                   : c == u'$' ? &currency_
                               : nullptr;
      if (seen == nullptr || *seen) return;
      *seen = true;
    }
  }

  void readRadix() {
    ++pos_;
    if (!more()) notANumber();
    const char16_t letter = text_[pos_++];
    const unsigned base = letter == u'H' || letter == u'h'   ? 16
                          : letter == u'O' || letter == u'o' ? 8
                                                             : 0;
    if (base == 0) notANumber();
    uint64_t value = 0;
    bool anyDigit = false;
    for (int digit; more() && (digit = radixDigit(text_[pos_], base)) >= 0; ++pos_) {
      anyDigit = true;
      value = value * base + unsigned(digit);
      if (value > UINT32_MAX) {
        tooBig_ = true;
        value = 0;
      }
    }
    if (!anyDigit) notANumber();
    number_.radix = true;
    number_.radixBits = uint32_t(value);
  }

  void readDecimal() {
    bool anyDigit = false;
    bool point = false;
    for (; more(); ++pos_) {
      const char16_t c = text_[pos_];
      if (isDigit(c)) {
        anyDigit = true;
        if (number_.digits.empty() && c == u'0') {
          if (point) --number_.pointPosition;
          continue;
        }
        number_.digits += char(c);
        if (!point) ++number_.pointPosition;
      } else if (c == u',' && anyDigit) {
        continue;
      } else if (c == u'.' && !point) {
        point = true;
      } else {
        break;
      }
    }
    if (!anyDigit) notANumber();
    readExponent();
    while (!number_.digits.empty() && number_.digits.back() == '0') number_.digits.pop_back();
    if (number_.digits.empty()) number_.pointPosition = 0;
  }

  void readExponent() {
    if (!more() || (text_[pos_] != u'e' && text_[pos_] != u'E')) return;
    ++pos_;
    bool negative = false;
    if (more() && (text_[pos_] == u'+' || text_[pos_] == u'-')) negative = text_[pos_++] == u'-';
    if (!more() || !isDigit(text_[pos_])) notANumber();
    int64_t exponent = 0;
    for (; more() && isDigit(text_[pos_]); ++pos_) {
      exponent = std::min(exponent * 10 + (text_[pos_] - u'0'), exponentLimit);
    }
    number_.pointPosition += negative ? -exponent : exponent;
  }

  void readTrailing() {
    const bool leadingSign = plus_ || minus_;
    bool closed = false;
    for (; more(); ++pos_) {
      const char16_t c = text_[pos_];
      if (isBlank(c)) continue;
      if ((c == u'+' || c == u'-') && !leadingSign) {
        trailingMinus_ = trailingMinus_ || c == u'-';
      } else if (c == u')' && paren_) {
        closed = true;
      } else if ((c == u'$' || c == u',') && !number_.radix) {
        continue;
      } else {
        notANumber();
      }
    }
    if (paren_ && !closed) notANumber();
  }

  std::u16string_view text_;
  size_t pos_ = 0;
  bool plus_ = false;
  bool minus_ = false;
  bool paren_ = false;
  bool currency_ = false;
  bool trailingMinus_ = false;
  bool tooBig_ = false;
  NumericText number_;
};

}  // namespace

NumericText parseNumericText(std::u16string_view text) { return Parser(text).parse(); }

int32_t numericTextToLong(const NumericText& number) {
  if (number.radix) return int32_t(number.radixBits);
  const auto& digits = number.digits;
  const int64_t point = number.pointPosition;
  if (point > 10) throw AutomationError(error::Overflow);
  if (point < 0) return 0;
  const size_t wholeDigits = size_t(point);
  int64_t whole = 0;
  for (size_t i = 0; i < wholeDigits; ++i)
    whole = whole * 10 + (i < digits.size() ? digits[i] - '0' : 0);
  if (wholeDigits < digits.size()) {
    // Trailing zeros are gone, so any digit after the first fraction digit
    // makes the fraction more than that digit alone.
    const char first = digits[wholeDigits];
    const bool beyondHalf = wholeDigits + 1 < digits.size();
    if (first > '5' || (first == '5' && (beyondHalf || whole % 2 == 1))) ++whole;
  }
  if (number.negative) whole = -whole;
  if (whole < INT32_MIN || whole > INT32_MAX) throw AutomationError(error::Overflow);
  return int32_t(whole);
}

double numericTextToDouble(const NumericText& number) {
  if (number.radix) return int32_t(number.radixBits);
  if (number.digits.empty()) return 0;
  const std::string scientific = "0." + number.digits + "e" + std::to_string(number.pointPosition);
  double value = 0;
  const auto [end, status] =
      std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
  if (status == std::errc::result_out_of_range) {
    if (number.pointPosition > 0) throw AutomationError(error::Overflow);
    value = 0;
  }
  if (std::isinf(value)) throw AutomationError(error::Overflow);
  return number.negative ? -value : value;
}

}  // namespace zarn
