// How INI section and entry names compare: without regard to letter case,
// as the platform folds them (automation/text.h's upperCase of the narrow
// text). Names in ASCII, nearly all of them, are hashed and compared in
// place, without making their folded form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zarn {

// The form under which names compare: upper-cased.
std::string foldIniName(std::string_view name);

// The same for every two names that fold alike.
uint32_t iniNameHash(std::string_view name);

// Whether the two names fold alike.
bool iniNamesMatch(std::string_view left, std::string_view right);

}  // namespace zarn
