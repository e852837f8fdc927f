// The tagged automation value that crosses the component surface.
//
// It holds the kinds the component meets: Empty, Null, Boolean, Byte,
// Integer (16-bit), Long (32-bit), Single, Double, String and Array (a list
// of Variants, a script's array: one dimension, counted from 0). A Boolean keeps
// its 16 bits as stored, so a value read from two bytes 01 00 stays 1 rather
// than being normalised to True (-1).
//
// A Variant is made implicitly from the C++ values that have an obvious
// automation kind, so that a default or a value can be written as a literal:
//
//   bool                    Boolean (true is -1)
//   any other integer type  Long, when the value fits a Long (-2147483648
//     (int, long, unsigned,   to 2147483647); a value outside that range
//     size_t, char, ...)      throws AutomationError 6 ("Overflow")
//   double, float           Double
//   const char*, std::string_view, std::string
//                           String, decoded from UTF-8; bytes that are not
//                           UTF-8 throw AutomationError 5, as the methods'
//                           text arguments do
//   const char16_t*, std::u16string_view, Text
//                           String
//
// An integer outside the Long range is refused rather than made a Double
// (as a script's literal would be): a Double rounds values beyond 2^53, and
// the registry's "D" form could not store it anyway, so the error is raised
// where the value is made instead of as a false return far from it. The
// named constructors below make every kind, Empty and Null included.
//
// std::cout << value writes the value's text form, as the component turns a
// value into text (a written "S" value, an INI entry): a String as it is
// (UTF-8), numbers in decimal ("8080", "2.5"), a Boolean as "True" or
// "False", Empty as nothing, Null as "Null" and an Array as its items in
// braces, {a, b} (neither has a text form; the words are what a debugger
// shows).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "zarnutils/automation_error.h"
#include "zarnutils/text.h"

namespace zarn {

// Numbered as the platform's variant type codes.
enum class VariantKind : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  String = 8,
  Boolean = 11,
  Byte = 17,
  Array = 0x200C,  // an array of variants
};

class Variant {
 public:
  Variant() = default;  // Empty

  Variant(bool value);
  Variant(int32_t value);
  template <
      typename Integer,
      std::enable_if_t<std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>, int> = 0>
  Variant(Integer value) : Variant(long32(checkedLong(value))) {}
  Variant(double value);
  Variant(const char* utf8);
  Variant(std::string_view utf8);
  Variant(const std::string& utf8);
  Variant(const char16_t* value);
  Variant(std::u16string_view value);
  Variant(Text value);
  // A copy that runs out of memory throws std::bad_alloc and leaves the
  // target as it was.
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept = default;
  Variant& operator=(Variant&& other) noexcept = default;
  ~Variant() = default;

  static Variant null();
  static Variant boolean(bool value);
  static Variant booleanBits(int16_t bits);
  static Variant byte(uint8_t value);
  static Variant integer(int16_t value);
  static Variant long32(int32_t value);
  static Variant single(float value);
  static Variant real(double value);
  static Variant text(Text value);
  static Variant array(std::vector<Variant> items);

  VariantKind kind() const;
  bool isEmpty() const { return kind() == VariantKind::Empty; }
  bool isNull() const { return kind() == VariantKind::Null; }

  // Each accessor requires the matching kind and throws AutomationError 13
  // ("Type mismatch") for any other: longValue() of a String throws, it does
  // not convert.
  int16_t booleanBits() const;
  uint8_t byteValue() const;
  int16_t integerValue() const;
  int32_t longValue() const;
  float singleValue() const;
  double realValue() const;
  const Text& textValue() const;
  const std::vector<Variant>& arrayValue() const;

  // Same kind and same value: Long 80 differs from Integer 80 and from the
  // text "80".
  bool operator==(const Variant& other) const { return storage_ == other.storage_; }
  bool operator!=(const Variant& other) const { return !(*this == other); }

 private:
  struct EmptyValue {
    bool operator==(const EmptyValue&) const { return true; }
  };
  struct NullValue {
    bool operator==(const NullValue&) const { return true; }
  };
  struct BooleanValue {
    int16_t bits;
    bool operator==(const BooleanValue& other) const { return bits == other.bits; }
  };
  using Storage = std::variant<EmptyValue, NullValue, BooleanValue, uint8_t, int16_t, int32_t,
                               float, double, Text, std::vector<Variant>>;

  template <typename Integer>
  static int32_t checkedLong(Integer value) {
    using Limits = std::numeric_limits<int32_t>;
    bool fits;
    if constexpr (std::is_signed_v<Integer>) {
      fits = static_cast<intmax_t>(value) >= Limits::min() &&
             static_cast<intmax_t>(value) <= Limits::max();
    } else {
      fits = static_cast<uintmax_t>(value) <= static_cast<uintmax_t>(Limits::max());
    }
    if (!fits) throw AutomationError(error::Overflow);
    return static_cast<int32_t>(value);
  }

  explicit Variant(Storage storage) : storage_(std::move(storage)) {}

  Storage storage_;
};

// The value's text form (see above), in UTF-8.
std::ostream& operator<<(std::ostream& out, const Variant& value);

// Visual Basic's TypeName for the kind: "String", "Long", "Boolean", ...
std::string_view typeName(VariantKind kind);

}  // namespace zarn
