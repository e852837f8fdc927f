#include "platform/profile_entry_rules.h"

#include "automation/text.h"

namespace zarn {
namespace {

constexpr std::u16string_view blanks = u" \t";

bool breaksTheLine(std::u16string_view text) {
  return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != text.npos;
}

}  // namespace

bool isStorableSection(std::u16string_view section) {
  return !breaksTheLine(section) && !trimmed(section, blanks).empty() &&
         section.find(u']') == section.npos;
}

bool isStorableKey(std::u16string_view key) {
  const Text name = trimmed(key, blanks);
  return !breaksTheLine(key) && !name.empty() && key.find(u'=') == key.npos &&
         name.front() != u';' && name.front() != u'[';
}

bool isStorableValue(std::u16string_view value) { return !breaksTheLine(value); }

bool isStorableEntry(std::u16string_view section, std::u16string_view key,
                     std::u16string_view value) {
  return isStorableSection(section) && isStorableKey(key) && isStorableValue(value);
}

}  // namespace zarn
