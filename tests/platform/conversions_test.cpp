// One table of conversion cases, run unchanged on both targets: on win32 it
// checks what the platform answers, natively that our conversions agree.
#include "platform/conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "support/platform_marks.h"
#include "zarnutils/automation_error.h"

namespace zarn {

void PrintTo(const Variant& value, std::ostream* out) {
  *out << typeName(value.kind());
  switch (value.kind()) {
    case VariantKind::Empty:
    case VariantKind::Null: return;
    case VariantKind::Boolean: *out << '(' << value.booleanBits() << ')'; return;
    case VariantKind::Byte: *out << '(' << int(value.byteValue()) << ')'; return;
    case VariantKind::Integer: *out << '(' << value.integerValue() << ')'; return;
    case VariantKind::Long: *out << '(' << value.longValue() << ')'; return;
    case VariantKind::Single: *out << '(' << value.singleValue() << ')'; return;
    case VariantKind::Double:
      out->precision(17);
      *out << '(' << value.realValue() << ')';
      return;
    case VariantKind::String: *out << "(\"" << textToUtf8(value.textValue()) << "\")"; return;
    case VariantKind::Array:
      *out << '(';
      for (const Variant& item : value.arrayValue()) PrintTo(item, out), *out << ' ';
      *out << ')';
      return;
  }
}

namespace {

enum class Target { WordText, NumberText, Long, Boolean, Numeric };

struct Case {
  Target target;
  Variant input;
  Variant expected;  // what the conversion gives, as a variant of its result type
  int32_t error;     // the error number instead, or 0
  // Why Wine's answer differs from Windows', which our own conversions
  // follow; the case is skipped on win32.
  const char* wineDiffers = nullptr;
};

void PrintTo(const Case& c, std::ostream* out) {
  static constexpr const char* names[] = {"toText(Words)", "toText(Numbers)", "toLong", "toBoolean",
                                          "isNumeric"};
  *out << names[static_cast<int>(c.target)] << ' ';
  PrintTo(c.input, out);
}

Variant text(const char* utf8) { return Variant::text(utf8ToText(utf8)); }

Case words(Variant in, const char* out) { return {Target::WordText, std::move(in), text(out), 0}; }
Case numbers(Variant in, const char* out) {
  return {Target::NumberText, std::move(in), text(out), 0};
}
Case asLong(Variant in, int32_t out) {
  return {Target::Long, std::move(in), Variant::long32(out), 0};
}
Case asBoolean(Variant in, int16_t bits) {
  return {Target::Boolean, std::move(in), Variant::booleanBits(bits), 0};
}
Case numeric(Variant in, bool out) {
  return {Target::Numeric, std::move(in), Variant::boolean(out), 0};
}
Case fails(Target target, Variant in, int32_t error) { return {target, std::move(in), {}, error}; }
// Wine 8 writes every number below 1E-04 in exponent form ("1E-05"), as C's
// %G does; Windows keeps the plain form while it fits the digits.
Case belowWine8sPlainRange(Variant in, const char* out) {
  return {Target::WordText, std::move(in), text(out), 0,
          "Wine 8 switches to exponent form below 1E-04; Windows writes the plain form while at "
          "most 15 digits (7 for a Single) follow the point"};
}

constexpr int32_t mismatch = error::TypeMismatch;
constexpr int32_t overflow = error::Overflow;
constexpr int16_t yes = -1;
constexpr int16_t no = 0;

const Variant empty;
const Variant null = Variant::null();
Variant real(double value) { return Variant::real(value); }
Variant single(float value) { return Variant::single(value); }

const Case cases[] = {
    // Empty and Null.
    words(empty, ""),
    asLong(empty, 0),
    asBoolean(empty, no),
    numeric(empty, true),
    fails(Target::WordText, null, mismatch),
    fails(Target::NumberText, null, mismatch),
    fails(Target::Long, null, mismatch),
    fails(Target::Boolean, null, mismatch),
    numeric(null, false),

    // Booleans keep their bits; only the word form looks at truth.
    words(Variant::boolean(true), "True"),
    words(Variant::boolean(false), "False"),
    numbers(Variant::boolean(true), "-1"),
    numbers(Variant::boolean(false), "0"),
    words(Variant::booleanBits(1), "True"),
    numbers(Variant::booleanBits(1), "1"),
    asLong(Variant::boolean(true), -1),
    asLong(Variant::booleanBits(1), 1),
    asBoolean(Variant::booleanBits(1), 1),
    numeric(Variant::boolean(true), true),

    // Whole numbers.
    words(Variant::byte(255), "255"),
    words(Variant::integer(-32768), "-32768"),
    words(Variant::long32(-2147483647 - 1), "-2147483648"),
    numbers(Variant::long32(1234567), "1234567"),
    asLong(Variant::byte(200), 200),
    asLong(Variant::integer(-5), -5),
    asBoolean(Variant::byte(3), yes),
    asBoolean(Variant::integer(0), no),
    asBoolean(Variant::long32(-7), yes),
    numeric(Variant::byte(0), true),
    numeric(Variant::long32(5), true),

    // Double to text: 15 significant digits, exponent beyond the plain range.
    words(real(0), "0"),
    words(real(-1.5), "-1.5"),
    words(real(1.0 / 3), "0.333333333333333"),
    words(real(2.0 / 3), "0.666666666666667"),
    words(real(123456789012345), "123456789012345"),
    words(real(999999999999999.4), "999999999999999"),
    words(real(999999999999999.9), "1E+15"),
    words(real(1e15), "1E+15"),
    words(real(1234567890123456789.0), "1.23456789012346E+18"),
    words(real(1e300), "1E+300"),
    words(real(0.0001), "0.0001"),
    // Below 1, plain while at most 15 digits follow the point.
    belowWine8sPlainRange(real(1e-5), "0.00001"),
    belowWine8sPlainRange(real(5.6789e-5), "0.000056789"),
    belowWine8sPlainRange(real(1.5e-10), "0.00000000015"),
    words(real(1.23456789012345e-5), "1.23456789012345E-05"),
    belowWine8sPlainRange(real(-1e-15), "-0.000000000000001"),
    words(real(1e-16), "1E-16"),
    words(real(5.6789e-12), "5.6789E-12"),
    words(real(-2.5e-300), "-2.5E-300"),
    words(real(0.1 + 0.2), "0.3"),
    numbers(real(12.75), "12.75"),
    words(real(1234567890123.125), "1234567890123.13"),  // an exact tie rounds away from zero
    words(real(-1234567890123.375), "-1234567890123.38"),
    words(real(99999999999999.99), "100000000000000"),
    words(real(9.9999999999999991e-05), "0.0001"),
    words(real(5e-324), "4.94065645841247E-324"),

    // Non-finite numbers, spelt as the platform spells them; NaN made by an
    // invalid operation has its sign bit set.
    words(real(HUGE_VAL), "INF"),
    words(real(-HUGE_VAL), "-INF"),
    words(real(std::numeric_limits<double>::quiet_NaN()), "NAN"),
    words(real(-std::numeric_limits<double>::quiet_NaN()), "-NAN(IND)"),
    numbers(real(HUGE_VAL), "INF"),
    words(single(HUGE_VALF), "INF"),
    words(single(-HUGE_VALF), "-INF"),
    words(single(std::numeric_limits<float>::quiet_NaN()), "NAN"),
    words(single(-std::numeric_limits<float>::quiet_NaN()), "-NAN(IND)"),
    fails(Target::Long, real(HUGE_VAL), overflow),
    fails(Target::Long, real(-HUGE_VAL), overflow),
    fails(Target::Long, single(HUGE_VALF), overflow),
    asLong(real(std::numeric_limits<double>::quiet_NaN()), 2147483647),
    asLong(real(-std::numeric_limits<double>::quiet_NaN()), 2147483647),
    asLong(single(std::numeric_limits<float>::quiet_NaN()), 2147483647),
    asBoolean(real(HUGE_VAL), yes),
    asBoolean(real(-HUGE_VAL), yes),
    asBoolean(real(std::numeric_limits<double>::quiet_NaN()), yes),
    asBoolean(single(-std::numeric_limits<float>::quiet_NaN()), yes),
    numeric(real(HUGE_VAL), true),
    numeric(real(std::numeric_limits<double>::quiet_NaN()), true),
    numeric(single(-HUGE_VALF), true),
    // Their spellings are no numeric text.
    numeric(text("INF"), false),
    numeric(text("-INF"), false),
    numeric(text("NAN"), false),
    numeric(text("-NAN(IND)"), false),
    numeric(text("1.#INF"), false),
    numeric(text("Infinity"), false),
    fails(Target::Long, text("INF"), mismatch),
    fails(Target::Boolean, text("NAN"), mismatch),
    // The largest doubles round up at 15 digits, beyond the range: their
    // text is no longer numeric, as the platform's is not.
    words(real(-std::numeric_limits<double>::max()), "-1.79769313486232E+308"),
    numeric(text("-1.79769313486232E+308"), false),
    numeric(text("1.79769313486231E+308"), true),

    // Single to text: 7 significant digits.
    words(single(1.1f), "1.1"),
    words(single(1.0f / 3), "0.3333333"),
    words(single(1234567.0f), "1234567"),
    words(single(16777216.0f), "1.677722E+07"),
    belowWine8sPlainRange(single(1e-5f), "0.00001"),
    belowWine8sPlainRange(single(0.00005f), "0.00005"),
    words(single(1.5e-7f), "1.5E-07"),
    words(single(1e-8f), "1E-08"),
    words(single(-0.25f), "-0.25"),
    words(single(1234568.5f), "1234569"),
    words(single(-0.0f), "0"),

    // Double and Single to Long: half to even, overflow past the rounded range.
    asLong(real(2.5), 2),
    asLong(real(3.5), 4),
    asLong(real(-0.5), 0),
    asLong(real(-1.5), -2),
    asLong(real(-2.5), -2),
    asLong(real(0.49999999999999994), 0),
    asLong(real(2147483647.4), 2147483647),
    fails(Target::Long, real(2147483647.5), overflow),
    fails(Target::Long, real(2147483648.5), overflow),
    asLong(real(-2147483648.5), -2147483647 - 1),
    fails(Target::Long, real(-2147483648.6), overflow),
    fails(Target::Long, real(1e300), overflow),
    asLong(single(41.5f), 42),
    asBoolean(real(0.5), yes),
    asBoolean(real(0), no),
    asBoolean(single(-0.0f), no),

    // Text to Long.
    asLong(text("42"), 42),
    asLong(text(" 12 "), 12),
    asLong(text("+12"), 12),
    asLong(text("12-"), -12),
    asLong(text("12+"), 12),
    asLong(text("(5)"), -5),
    asLong(text("( 5 )-"), -5),
    asLong(text("-(5)"), -5),
    asLong(text("+-1"), -1),
    asLong(text("- 5"), -5),
    asLong(text("5+-"), -5),
    asLong(text("\t12\r\n"), 12),
    asLong(text("\u00A012\u3000"), 12),
    asLong(text("$5"), 5),
    asLong(text("5 $"), 5),
    asLong(text("($5)"), -5),
    asLong(text("007"), 7),
    asLong(text("1,,2"), 12),
    asLong(text("1,.5"), 2),
    asLong(text("25e-1"), 2),
    asLong(text("0.5e1"), 5),
    fails(Target::Long, text("++1"), mismatch),
    fails(Target::Long, text("-5-"), mismatch),
    fails(Target::Long, text("(5"), mismatch),
    fails(Target::Long, text("5)"), mismatch),
    fails(Target::Long, text("$$5"), mismatch),
    fails(Target::Long, text("1$2"), mismatch),
    fails(Target::Long, text("1 2"), mismatch),
    fails(Target::Long, text(",5"), mismatch),
    fails(Target::Long, text("1e"), mismatch),
    fails(Target::Long, text("1e 5"), mismatch),
    fails(Target::Long, text("1d3"), mismatch),
    fails(Target::Long, text("\u00A0"), mismatch),
    asLong(text("1,234"), 1234),
    asLong(text("1,234,567.5"), 1234568),
    asLong(text("1e3"), 1000),
    asLong(text("1.5e-1"), 0),
    asLong(text("2.5"), 2),
    asLong(text("3.5"), 4),
    asLong(text("-0.5"), 0),
    asLong(text(".5"), 0),
    asLong(text("1."), 1),
    asLong(text("0.50000000000000000000001"), 1),  // rounds the decimal digits, not a Double
    asLong(text("2147483647.49999999"), 2147483647),
    asLong(text("2147483647"), 2147483647),
    asLong(text("-2147483648"), -2147483647 - 1),
    asLong(text("-2147483648.5"), -2147483647 - 1),
    fails(Target::Long, text("2147483647.5"), overflow),
    fails(Target::Long, text("2147483648.5"), overflow),
    fails(Target::Long, text("2147483648"), overflow),
    fails(Target::Long, text("99999999999999999999"), overflow),
    asLong(text("&H10"), 16),
    asLong(text("&hff"), 255),
    asLong(text("&H7FFFFFFF"), 2147483647),
    asLong(text("&H80000000"), -2147483647 - 1),
    asLong(text("&HFFFFFFFF"), -1),
    asLong(text("&HFFFF"), 65535),
    asLong(text("&H0000000FF"), 255),  // leading zeros do not count against the 32 bits
    asLong(text(" (&H10)- "), 16),     // hex literals ignore signs
    fails(Target::Long, text("&H100000000"), overflow),
    fails(Target::Long, text("&H1FFFFFFFF"), overflow),
    asLong(text("&O37777777777"), -1),
    fails(Target::Long, text("&O40000000000"), overflow),
    fails(Target::Long, text("&O8"), mismatch),
    fails(Target::Long, text("&H 10"), mismatch),
    fails(Target::Long, text("&H1.5"), mismatch),
    fails(Target::Long, text("$&H10"), mismatch),
    asLong(text("&O17"), 15),
    asLong(text("&o777"), 511),
    fails(Target::Long, text("&O"), mismatch),
    fails(Target::Long, text("&H"), mismatch),
    fails(Target::Long, text("&H1G"), mismatch),
    fails(Target::Long, text("0x10"), mismatch),
    fails(Target::Long, text(""), mismatch),
    fails(Target::Long, text(" "), mismatch),
    fails(Target::Long, text("12abc"), mismatch),
    fails(Target::Long, text("True"), mismatch),
    fails(Target::Long, text("1.2.3"), mismatch),
    fails(Target::Long, text("--1"), mismatch),
    fails(Target::Long, text("e5"), mismatch),

    // Text to Boolean.
    asBoolean(text("True"), yes),
    asBoolean(text("tRUE"), yes),
    asBoolean(text("FALSE"), no),
    asBoolean(text("#TRUE#"), yes),
    asBoolean(text("#FALSE#"), no),
    asBoolean(text("0"), no),
    asBoolean(text("2.5"), yes),
    asBoolean(text("-1"), yes),
    asBoolean(text(" 0.0 "), no),
    asBoolean(text("&H0"), no),
    fails(Target::Boolean, text("#true#"), mismatch),
    fails(Target::Boolean, text(" True "), mismatch),
    fails(Target::Boolean, text("Yes"), mismatch),
    fails(Target::Boolean, text("On"), mismatch),
    fails(Target::Boolean, text(""), mismatch),

    // Text to text keeps the text.
    words(text(" x "), " x "),
    numbers(text(""), ""),

    // IsNumeric on text: exactly the texts that become a Double.
    numeric(text("&H10"), true),
    numeric(text("1,234"), true),
    numeric(text("(5)"), true),
    numeric(text(" 12 "), true),
    numeric(text("1e3"), true),
    numeric(text("-1.5e-300"), true),
    numeric(text("99999999999999999999"), true),
    numeric(text("1e400"), false),
    numeric(text(""), false),
    numeric(text(" "), false),
    numeric(text("12abc"), false),
    numeric(text("True"), false),
    numeric(text("0x10"), false),
    numeric(text("&H80000000"), true),
    {Target::Numeric, text("&HFFFFFFFF"), Variant::boolean(true), 0,
     "Wine refuses hex above &H80000000 as a Double while taking &H80000000 itself; "
     "Windows wraps hex into the signed range for every numeric type"},
};

class Conversion : public ::testing::TestWithParam<Case> {};

Variant convert(const Case& c) {
  switch (c.target) {
    case Target::WordText: return Variant::text(toText(c.input, BooleanText::Words));
    case Target::NumberText: return Variant::text(toText(c.input, BooleanText::Numbers));
    case Target::Long: return Variant::long32(toLong(c.input));
    case Target::Boolean: return Variant::booleanBits(toBoolean(c.input));
    case Target::Numeric: return Variant::boolean(isNumeric(c.input));
  }
  return {};
}

TEST_P(Conversion, GivesThePlatformsAnswer) {
  const Case& c = GetParam();
  if (test_support::runsOnWine && c.wineDiffers != nullptr) GTEST_SKIP() << c.wineDiffers;
  if (c.error == 0) {
    EXPECT_EQ(convert(c), c.expected);
  } else {
    try {
      const Variant result = convert(c);
      ADD_FAILURE() << "expected error " << c.error << ", got " << ::testing::PrintToString(result);
    } catch (const AutomationError& failure) {
      EXPECT_EQ(failure.number(), c.error);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Conversion, ::testing::ValuesIn(cases));

}  // namespace
}  // namespace zarn
