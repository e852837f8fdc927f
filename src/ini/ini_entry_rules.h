// Which writes could not be read back as written. The profile functions have
// no escaping: a line break in any part would inject new lines (even new
// sections), and some names read back as something else or not at all.
#pragma once

#include "automation/text.h"

namespace zarn {

bool isWritableEntry(const Text& section, const Text& name, const Text& value);

}  // namespace zarn
