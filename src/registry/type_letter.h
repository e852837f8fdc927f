// Type letters choose a stored form. The letter is upper-cased and compared as
// a whole, untrimmed: "s" selects text, "Str", "" and " S" select nothing.
#pragma once

#include "automation/text.h"

namespace zarn {

enum class RegistryForm { Text, Boolean, Number, None };

RegistryForm registryFormForLetter(const Text& letter);

}  // namespace zarn
