// The tagged automation value that crosses the component surface.
//
// It holds the kinds the component meets: Empty, Null, Boolean, Byte,
// Integer (16-bit), Long (32-bit), Single, Double and String. A Boolean keeps
// its 16 bits as stored, so a value read from two bytes 01 00 stays 1 rather
// than being normalised to True (-1).
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
