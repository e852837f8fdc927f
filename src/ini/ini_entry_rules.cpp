#include "ini/ini_entry_rules.h"

namespace zarn {
namespace {

// CR or LF would start a new line; a NUL would end the narrow text early.
bool breaksTheLine(const Text& text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != Text::npos;
}

}  // namespace

bool isWritableEntry(const Text& section, const Text& name, const Text& value) {
  if (breaksTheLine(section) || breaksTheLine(name) || breaksTheLine(value)) return false;
  const Text trimmedSection = trimmed(section, u" \t");
  const Text trimmedName = trimmed(name, u" \t");
  if (trimmedSection.empty() || trimmedName.empty()) return false;
  if (section.find(u']') != Text::npos || name.find(u'=') != Text::npos) return false;
  return trimmedName.front() != u';' && trimmedName.front() != u'[';
}

}  // namespace zarn
