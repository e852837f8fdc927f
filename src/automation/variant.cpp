#include "zarnutils/variant.h"

#include "automation/text.h"

namespace zarn {

Variant::Variant(bool value) : Variant(boolean(value)) {}
Variant::Variant(int32_t value) : Variant(long32(value)) {}
Variant::Variant(double value) : Variant(real(value)) {}
Variant::Variant(const char* utf8) : Variant(std::string_view(utf8)) {}
Variant::Variant(std::string_view utf8) : Variant(text(utf8Argument(utf8))) {}
Variant::Variant(const std::string& utf8) : Variant(std::string_view(utf8)) {}
Variant::Variant(const char16_t* value) : Variant(std::u16string_view(value)) {}
Variant::Variant(std::u16string_view value) : Variant(text(Text(value))) {}
Variant::Variant(Text value) : Variant(text(std::move(value))) {}

// std::variant's own copy (libstdc++ 12) is not safe when copying its text
// throws: it then destroys a text that was never made. Texts and arrays are
// copied first, and only moved into the variant.
Variant::Variant(const Variant& other) {
  if (const Text* text = std::get_if<Text>(&other.storage_)) {
    storage_.emplace<Text>(Text(*text));
  } else if (const auto* items = std::get_if<std::vector<Variant>>(&other.storage_)) {
    storage_.emplace<std::vector<Variant>>(std::vector<Variant>(*items));
  } else {
    storage_ = other.storage_;
  }
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) *this = Variant(other);
  return *this;
}

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
Variant Variant::array(std::vector<Variant> items) {
  return Variant(Storage(std::in_place_type<std::vector<Variant>>, std::move(items)));
}

VariantKind Variant::kind() const {
  static constexpr VariantKind kinds[] = {
      VariantKind::Empty,   VariantKind::Null,  VariantKind::Boolean, VariantKind::Byte,
      VariantKind::Integer, VariantKind::Long,  VariantKind::Single,  VariantKind::Double,
      VariantKind::String,  VariantKind::Array,
  };
  return kinds[storage_.index()];
}

namespace {

// The held value when it is of the asked kind; a script asking a value of
// the wrong kind gets a type mismatch, and so does a C++ caller.
template <typename Held, typename Storage>
const Held& held(const Storage& storage) {
  if (const Held* value = std::get_if<Held>(&storage)) return *value;
  throw AutomationError(error::TypeMismatch);
}

}  // namespace

int16_t Variant::booleanBits() const { return held<BooleanValue>(storage_).bits; }
uint8_t Variant::byteValue() const { return held<uint8_t>(storage_); }
int16_t Variant::integerValue() const { return held<int16_t>(storage_); }
int32_t Variant::longValue() const { return held<int32_t>(storage_); }
float Variant::singleValue() const { return held<float>(storage_); }
double Variant::realValue() const { return held<double>(storage_); }
const Text& Variant::textValue() const { return held<Text>(storage_); }
const std::vector<Variant>& Variant::arrayValue() const {
  return held<std::vector<Variant>>(storage_);
}

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
    case VariantKind::Array: return "Variant()";
  }
  return "Unknown";
}

}  // namespace zarn
