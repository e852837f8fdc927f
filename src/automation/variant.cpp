#include "zarnutils/variant.h"

namespace zarn {

Variant Variant::null() { return Variant(NullValue{}); }
Variant Variant::boolean(bool value) { return Variant(BooleanValue{int16_t(value ? -1 : 0)}); }
Variant Variant::booleanBits(int16_t bits) { return Variant(BooleanValue{bits}); }
Variant Variant::byte(uint8_t value) {
  return Variant(Storage(std::in_place_type<uint8_t>, value));
}
Variant Variant::integer(int16_t value) {
  return Variant(Storage(std::in_place_type<int16_t>, value));
}
Variant Variant::long32(int32_t value) {
  return Variant(Storage(std::in_place_type<int32_t>, value));
}
Variant Variant::single(float value) { return Variant(Storage(std::in_place_type<float>, value)); }
Variant Variant::real(double value) { return Variant(Storage(std::in_place_type<double>, value)); }
Variant Variant::text(Text value) {
  return Variant(Storage(std::in_place_type<Text>, std::move(value)));
}

VariantKind Variant::kind() const {
  static constexpr VariantKind kinds[] = {
      VariantKind::Empty,  VariantKind::Null,    VariantKind::Boolean,
      VariantKind::Byte,   VariantKind::Integer, VariantKind::Long,
      VariantKind::Single, VariantKind::Double,  VariantKind::String,
  };
  return kinds[storage_.index()];
}

int16_t Variant::booleanBits() const { return std::get<BooleanValue>(storage_).bits; }
uint8_t Variant::byteValue() const { return std::get<uint8_t>(storage_); }
int16_t Variant::integerValue() const { return std::get<int16_t>(storage_); }
int32_t Variant::longValue() const { return std::get<int32_t>(storage_); }
float Variant::singleValue() const { return std::get<float>(storage_); }
double Variant::realValue() const { return std::get<double>(storage_); }
const Text& Variant::textValue() const { return std::get<Text>(storage_); }

std::string_view typeName(VariantKind kind) {
  switch (kind) {
    case VariantKind::Empty: return "Empty";
    case VariantKind::Null: return "Null";
    case VariantKind::Integer: return "Integer";
    case VariantKind::Long: return "Long";
    case VariantKind::Single: return "Single";
    case VariantKind::Double: return "Double";
    case VariantKind::String: return "String";
    case VariantKind::Boolean: return "Boolean";
    case VariantKind::Byte: return "Byte";
  }
  return "Unknown";
}

}  // namespace zarn
