// One call as the user writes it: CLASS.METHOD or CLASS.#ID, then the
// arguments. The class is a class name or ProgID, the method a name or a
// dispatch identifier (0x-prefixed hex or decimal); whether they exist is for
// the late-bound caller to say.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "automation/text.h"
#include "component/late_bound_caller.h"
#include "zarnutils/variant.h"

namespace zarn::cli {

struct CallRequest {
  Text className;
  std::variant<Text, int32_t> method;  // name or dispatch identifier
  std::vector<LateBoundArgument> arguments;
};

// An argument as written on the command line or in a batch field. A word is
// text unless it has one of these forms:
//   i:N      Long (decimal, optional minus sign)
//   b:true   Boolean True;  b:false  Boolean False
//   d:X      Double (decimal, optional exponent)
//   s:TEXT   TEXT as it stands, for text that starts like another form
//   x:TEXT   TEXT with the escapes \\ \t \n \r \0 \uXXXX, for characters a
//            batch field cannot hold
//   null     Null;  empty  Empty
// Prefixes and words are lower case; "D:\x.ini" is text, "d:\x.ini" is not.
// Throws UsageError for a word whose prefix promises a form it does not have.
Variant parseArgument(std::string_view written);

// words[0] is CLASS.METHOD, the rest are arguments. Throws UsageError.
CallRequest parseCallRequest(std::span<const std::string> words);

}  // namespace zarn::cli
