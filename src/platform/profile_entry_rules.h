// Which entries the profile format can store and read back as written.
//
// The format has no escaping. A CR, LF or NUL in any part would end the line
// (or, in narrow text, the string) early and could inject new lines, even new
// sections. A section or key that is empty once blanks (spaces and tabs) are
// removed from its ends cannot be found again; a ']' in a section name ends
// its header early; an '=' in a key splits it into key and value; a key whose
// first non-blank character is ';' or '[' reads as a comment or a section
// header. Values may hold anything but line breaks and NULs.
//
// IniEdit checks every write against these rules on both targets, because
// Windows' profile functions write such entries without complaint; the native
// profile service refuses them itself.
#pragma once

#include <string_view>

namespace zarn {

bool isStorableSection(std::u16string_view section);
bool isStorableKey(std::u16string_view key);
bool isStorableValue(std::u16string_view value);

// All three of the above.
bool isStorableEntry(std::u16string_view section, std::u16string_view key,
                     std::u16string_view value);

}  // namespace zarn
