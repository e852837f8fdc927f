#include "ini_fragment.h"

#include <algorithm>

#include "quoted_name.h"

namespace zarn::cli {
namespace {

std::string_view withoutBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == text.npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

}  // namespace

std::optional<ini::Changes> changesOfFragment(std::string_view fragment, std::string& problem) {
  if (fragment.starts_with("\xEF\xBB\xBF")) fragment.remove_prefix(3);
  ini::Changes changes;
  std::optional<std::string> section;  // nothing before the first header and under [-NAME]
  bool sectionDeleted = false;
  size_t number = 0;
  while (!fragment.empty()) {
    const size_t end = std::min(fragment.find_first_of("\r\n"), fragment.size());
    const std::string_view line = withoutBlanks(fragment.substr(0, end));
    fragment.remove_prefix(end);
    if (fragment.starts_with("\r\n"))
      fragment.remove_prefix(2);
    else if (!fragment.empty())
      fragment.remove_prefix(1);
    ++number;
    const auto refuse = [&](const std::string& why) {
      problem = "line " + std::to_string(number) + ": " + why;
      return std::nullopt;
    };
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const size_t close = line.find(']');
      if (close == line.npos) return refuse("'" + quotedName(line) + "' has no ']'");
      const std::string_view name = withoutBlanks(line.substr(1, close - 1));
      sectionDeleted = name.starts_with('-');
      if (sectionDeleted) {
        changes.deleteSection(withoutBlanks(name.substr(1)));
        section.reset();
      } else {
        section = std::string(name);
      }
      continue;
    }
    if (!section) {
      return refuse(sectionDeleted ? "an entry under a deleted section"
                                   : "an entry before the first [SECTION]");
    }
    const size_t equals = line.find('=');
    if (equals != line.npos) {
      changes.set(*section, withoutBlanks(line.substr(0, equals)),
                  withoutBlanks(line.substr(equals + 1)));
    } else if (line.front() == '-') {
      changes.deleteEntry(*section, withoutBlanks(line.substr(1)));
    } else {
      return refuse("'" + quotedName(line) + "' is neither NAME=VALUE nor -NAME");
    }
  }
  return changes;
}

}  // namespace zarn::cli
