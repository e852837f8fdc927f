#include "ini/ini_entry_rules.h"

namespace zarn {
namespace {

bool breaksLines(const Text& text) { return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != Text::npos; }

Text trimBlanks(const Text& text) {
  const size_t first = text.find_first_not_of(u" \t");
  if (first == Text::npos) return {};
  return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

}  // namespace

bool isWritableEntry(const Text& section, const Text& name, const Text& value) {
  if (breaksLines(section) || breaksLines(name) || breaksLines(value)) return false;
  const Text trimmedSection = trimBlanks(section);
  const Text trimmedName = trimBlanks(name);
  if (trimmedSection.empty() || trimmedName.empty()) return false;
  if (section.find(u']') != Text::npos || name.find(u'=') != Text::npos) return false;
  return trimmedName.front() != u';' && trimmedName.front() != u'[';
}

}  // namespace zarn
