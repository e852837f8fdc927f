// Our own automation conversions, giving the answers the platform's
// VariantChangeTypeEx gives with the English-US locale.
#include "platform/conversions.h"

#include <cmath>
#include <string>

#include "platform/native/numbers/number_formatting.h"
#include "platform/native/numbers/number_parsing.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

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
  }
  mismatch();
}

bool isNumeric(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Null: return false;
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
