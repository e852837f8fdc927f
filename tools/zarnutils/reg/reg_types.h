// The registry's value type names as reg.exe spells them, both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarn::cli {

namespace reg_type {
constexpr uint32_t None = 0;
constexpr uint32_t Text = 1;
constexpr uint32_t ExpandText = 2;
constexpr uint32_t Binary = 3;
constexpr uint32_t Number = 4;
constexpr uint32_t NumberBigEndian = 5;
constexpr uint32_t MultiText = 7;
constexpr uint32_t Number64 = 11;
}  // namespace reg_type

// The code of a name that /t accepts (REG_SZ ...), in any letter case.
std::optional<uint32_t> typeCodeOfName(std::string_view name);

// REG_SZ for 1; a code without a name is shown as reg.exe shows it, 0x...
std::string typeNameOfCode(uint32_t code);

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: data that is narrow text.
bool isTextType(uint32_t code);

}  // namespace zarn::cli
