#include "reg/reg_types.h"

#include <cstdio>

#include "reg/reg_words.h"

namespace zarn::cli {
namespace {

struct TypeName {
  uint32_t code;
  const char* name;
  bool acceptedByAdd;  // the rest are only ever shown
};

constexpr TypeName typeNames[] = {
    {value_type::None, "REG_NONE", true},
    {value_type::Text, "REG_SZ", true},
    {value_type::ExpandText, "REG_EXPAND_SZ", true},
    {value_type::Binary, "REG_BINARY", true},
    {value_type::Number, "REG_DWORD", true},
    {value_type::NumberBigEndian, "REG_DWORD_BIG_ENDIAN", true},
    {6, "REG_LINK", false},
    {value_type::MultiText, "REG_MULTI_SZ", true},
    {8, "REG_RESOURCE_LIST", false},
    {9, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {value_type::Number64, "REG_QWORD", true},
};

}  // namespace

std::optional<uint32_t> typeCodeOfName(std::string_view name) {
  for (const TypeName& type : typeNames) {
    if (type.acceptedByAdd && sameWord(name, type.name)) return type.code;
  }
  return std::nullopt;
}

std::string typeNameOfCode(uint32_t code) {
  for (const TypeName& type : typeNames) {
    if (type.code == code) return type.name;
  }
  char unnamed[16];
  std::snprintf(unnamed, sizeof unnamed, "0x%x", static_cast<unsigned>(code));
  return unnamed;
}

bool isTextType(uint32_t code) {
  return code == value_type::Text || code == value_type::ExpandText ||
         code == value_type::MultiText;
}

}  // namespace zarn::cli
