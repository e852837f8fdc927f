// The registry's value type names as reg.exe spells them, both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry_service.h"

namespace zarn::cli {

// The code of a name that /t accepts (REG_SZ ...), in any letter case.
std::optional<uint32_t> typeCodeOfName(std::string_view name);

// REG_SZ for 1; a code without a name is shown as reg.exe shows it, 0x...
std::string typeNameOfCode(uint32_t code);

// REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ: data that is narrow text.
bool isTextType(uint32_t code);

}  // namespace zarn::cli
