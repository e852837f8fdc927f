// One call as the user writes it: CLASS.METHOD or CLASS.#ID, then the
// arguments. The class is a class name or ProgID, the method a name or a
// dispatch identifier (0x-prefixed hex or decimal); whether they exist is for
// the late-bound caller to say.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "automation/text.h"
#include "component/late_bound_caller.h"

namespace zarn::cli {

struct CallRequest {
  Text className;
  std::variant<Text, int32_t> method;  // name or dispatch identifier
  std::vector<LateBoundArgument> arguments;
};

// words[0] is CLASS.METHOD, the rest are arguments. Throws UsageError.
CallRequest parseCallRequest(std::span<const std::string> words);

}  // namespace zarn::cli
