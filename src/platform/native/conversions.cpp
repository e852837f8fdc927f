// Our own automation conversions, giving the answers the platform's
// VariantChangeTypeEx gives with the English-US locale.
#include "platform/conversions.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

// Numbers written as text, read the way the platform's automation
// conversions read them with the English-US locale.
//
// Accepted: blanks (any Unicode space) around the number and between a sign
// and the number; one leading "+", "-", "(" and "$" each, in any order; or a
// sign, ")" and "$" after the number; "(...)" is negative; digits with ","
// anywhere after the first digit; one "."; an exponent "e"/"E" with an
// optional sign. "&H" and "&O" introduce 32-bit hex and octal literals,
// which take no sign and no currency symbol.

struct NumericText {
  bool radix = false;      // a "&H"/"&O" literal
  uint32_t radixBits = 0;  // its 32 bits
  bool negative = false;
  std::string digits;         // decimal digits without leading and trailing zeros
  int64_t pointPosition = 0;  // the value is 0.<digits> times 10 to this power
};

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

// Throws AutomationError 13 for text that is no number and 6 for a hex or
// octal literal beyond 32 bits.
NumericText parseNumericText(std::u16string_view text) { return Parser(text).parse(); }

// Rounds half to even; throws AutomationError 6 outside the Long range.
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

// Hex and octal literals are signed 32-bit values; throws AutomationError 6
// beyond the Double range (values too small to represent become 0).
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

// Floating-point numbers as the platform's automation conversions write
// them: the shortest form of the value rounded to a number of significant
// digits (15 for a Double, 7 for a Single), plain while that takes at most as
// many digits after the point ("0.000056789", "0.00005"), in exponent form
// beyond ("1E+15", "5.6789E-12");
// infinities as "INF" and "-INF", NaN as "NAN", or "-NAN(IND)" when its sign
// bit is set.

constexpr int doubleDigits = 15;
constexpr int singleDigits = 7;

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

// Rounds the exact binary value half away from zero, as the platform does.
Text realToText(double value, int significantDigits) {
  // The platform's own spellings; a NaN with its sign bit set, as the
  // processor makes one from an invalid operation, is the "indefinite" one.
  if (std::isnan(value)) return std::signbit(value) ? u"-NAN(IND)" : u"NAN";
  if (std::isinf(value)) return value < 0 ? u"-INF" : u"INF";
  if (value == 0) return u"0";
  const Decimal decimal = rounded(exactDecimal(std::fabs(value)), significantDigits);
  const int digitsAfterPoint = int(decimal.digits.size()) - 1 - decimal.exponent;
  const bool exponent =
      digitsAfterPoint > significantDigits || decimal.exponent >= significantDigits;
  const std::string text =
      (value < 0 ? "-" : "") + (exponent ? exponentForm(decimal) : plainForm(decimal));
  return Text(text.begin(), text.end());
}

[[noreturn]] void mismatch() { throw AutomationError(error::TypeMismatch); }

// Half to even; the range ends at the halves that would round past it, so
// infinities overflow. NaN passes the platform's range check and comes out
// of its rounding as the largest Long.
int32_t roundToLong(double value) {
  if (std::isnan(value)) return INT32_MAX;
  if (!(value >= -2147483648.5 && value < 2147483647.5)) throw AutomationError(error::Overflow);
  return int32_t(std::nearbyint(value));
}

double textToDouble(const Text& text) { return numericTextToDouble(parseNumericText(text)); }

}  // namespace

Text toText(const Variant& value, BooleanText booleanText) {
  switch (value.kind()) {
    case VariantKind::Empty: return {};
    case VariantKind::Null: mismatch();
    case VariantKind::Boolean:
      if (booleanText == BooleanText::Numbers) return decimalText(value.booleanBits());
      return value.booleanBits() != 0 ? u"True" : u"False";
    case VariantKind::Byte: return decimalText(value.byteValue());
    case VariantKind::Integer: return decimalText(value.integerValue());
    case VariantKind::Long: return decimalText(value.longValue());
    case VariantKind::Single: return realToText(value.singleValue(), singleDigits);
    case VariantKind::Double: return realToText(value.realValue(), doubleDigits);
    case VariantKind::String: return value.textValue();
    case VariantKind::Array: mismatch();
  }
  mismatch();
}

int32_t toLong(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Empty: return 0;
    case VariantKind::Null: mismatch();
    case VariantKind::Boolean: return value.booleanBits();
    case VariantKind::Byte: return value.byteValue();
    case VariantKind::Integer: return value.integerValue();
    case VariantKind::Long: return value.longValue();
    case VariantKind::Single: return roundToLong(value.singleValue());
    case VariantKind::Double: return roundToLong(value.realValue());
    case VariantKind::String: return numericTextToLong(parseNumericText(value.textValue()));
    case VariantKind::Array: mismatch();
  }
  mismatch();
}

int16_t toBoolean(const Variant& value) {
  constexpr int16_t yes = -1;
  constexpr int16_t no = 0;
  switch (value.kind()) {
    case VariantKind::Empty: return no;
    case VariantKind::Null: mismatch();
    case VariantKind::Boolean: return value.booleanBits();
    case VariantKind::Byte: return value.byteValue() != 0 ? yes : no;
    case VariantKind::Integer: return value.integerValue() != 0 ? yes : no;
    case VariantKind::Long: return value.longValue() != 0 ? yes : no;
    case VariantKind::Single: return value.singleValue() != 0 ? yes : no;
    case VariantKind::Double: return value.realValue() != 0 ? yes : no;
    case VariantKind::String: {
      const Text& text = value.textValue();
      if (equalsIgnoringCase(text, u"True") || text == u"#TRUE#") return yes;
      if (equalsIgnoringCase(text, u"False") || text == u"#FALSE#") return no;
      return textToDouble(text) != 0 ? yes : no;
    }
    case VariantKind::Array: mismatch();
  }
  mismatch();
}

bool isNumeric(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Null:
    case VariantKind::Array: return false;
    case VariantKind::String:
      try {
        textToDouble(value.textValue());
        return true;
      } catch (const AutomationError&) {
        return false;
      }
    default: return true;
  }
}

}  // namespace zarn
