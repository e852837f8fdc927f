// The registry's type letters: "S" text, "B" boolean, "D" 32-bit number,
// matched as automation/type_letter.h says.
#pragma once

#include "automation/text.h"

namespace zarn {

enum class RegistryForm { String, Boolean, Number, None };

RegistryForm registryFormForLetter(const Text& letter);

}  // namespace zarn
