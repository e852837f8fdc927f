// The edits a profile write makes to a document's text. Each returns the
// whole new text with one change and every other byte as it was, or nullopt
// when the edit changes nothing; the arguments have been checked (names
// trimmed and non-empty, no line breaks).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/native/ini/ini_document.h"

namespace zarn {

// Replaces the value of the entry in place (the name keeps the case and the
// blanks it has in the file); a new entry goes behind the last line of its
// section that is not blank or a comment, a new section at the end of the
// file. New lines are "name=value" and end with the file's line end.
std::optional<std::string> withValue(const IniDocument& document, std::string_view section,
                                     std::string_view key, std::string_view value);

// Removes the entry's whole line, line end included.
std::optional<std::string> withoutEntry(const IniDocument& document, std::string_view section,
                                        std::string_view key);

// Removes the section's header and every line up to the next header.
std::optional<std::string> withoutSection(const IniDocument& document, std::string_view section);

}  // namespace zarn
