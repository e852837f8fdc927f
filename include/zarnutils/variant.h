// The tagged automation value that crosses the component surface.
//
// It holds the kinds the component meets: Empty, Null, Boolean, Byte,
// Integer (16-bit), Long (32-bit), Single, Double and String. A Boolean keeps
// its 16 bits as stored, so a value read from two bytes 01 00 stays 1 rather
// than being normalised to True (-1).
//
// A Variant is made implicitly from the C++ values that have an obvious
// automation kind, so that a default or a value can be written as a literal:
//
//   bool                    Boolean (true is -1)
//   int (and anything that  Long
//     promotes to it)
//   double, float           Double
//   const char*, std::string_view, std::string
//                           String, decoded from UTF-8
//   const char16_t*, std::u16string_view, Text
//                           String
//
// Other integer types (long, unsigned, size_t, ...) do not convert, because
// a Long cannot hold all their values: say which kind, e.g.
// Variant::long32(static_cast<int32_t>(n)). The named constructors below
// make every kind, Empty and Null included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

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
};

class Variant {
 public:
  Variant() = default;  // Empty

  Variant(bool value);
  Variant(int32_t value);
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

  VariantKind kind() const;
  bool isEmpty() const { return kind() == VariantKind::Empty; }
  bool isNull() const { return kind() == VariantKind::Null; }

  // Each accessor requires the matching kind (std::bad_variant_access
  // otherwise).
  int16_t booleanBits() const;
  uint8_t byteValue() const;
  int16_t integerValue() const;
  int32_t longValue() const;
  float singleValue() const;
  double realValue() const;
  const Text& textValue() const;

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
                               float, double, Text>;

  explicit Variant(Storage storage) : storage_(std::move(storage)) {}

  Storage storage_;
};

// Visual Basic's TypeName for the kind: "String", "Long", "Boolean", ...
std::string_view typeName(VariantKind kind);

}  // namespace zarn
