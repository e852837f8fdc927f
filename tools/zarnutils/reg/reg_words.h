// Comparing the words of a reg command line: switches, root and type names
// match in any letter case (ASCII folding, as reg.exe's names are ASCII).
#pragma once

#include <string>
#include <string_view>

namespace zarn::cli {

bool sameWord(std::string_view left, std::string_view right);
std::string lowerWord(std::string_view word);

}  // namespace zarn::cli
