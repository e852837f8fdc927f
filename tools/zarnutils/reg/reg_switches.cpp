#include "reg/reg_switches.h"

#include "reg/reg_words.h"

namespace zarn::cli {
namespace {

const SwitchRule* findRule(std::span<const SwitchRule> rules, const std::string& name) {
  for (const SwitchRule& rule : rules) {
    if (name == rule.name) return &rule;
  }
  return nullptr;
}

bool looksLikeSwitch(const std::string& word) {
  return word.size() > 1 && (word.front() == '/' || word.front() == '-');
}

}  // namespace

std::optional<RegArguments> parseRegArguments(const std::vector<std::string>& words,
                                              size_t fixedCount,
                                              std::span<const SwitchRule> rules) {
  if (words.size() < fixedCount) return std::nullopt;
  RegArguments arguments;
  arguments.fixed.assign(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(fixedCount));
  for (size_t next = fixedCount; next < words.size(); ++next) {
    if (!looksLikeSwitch(words[next])) return std::nullopt;
    const std::string name = lowerWord(words[next].substr(1));
    const SwitchRule* rule = findRule(rules, name);
    if (!rule || arguments.has(name)) return std::nullopt;
    std::string value;
    if (rule->takesValue) {
      if (++next == words.size()) return std::nullopt;
      value = words[next];
    }
    arguments.switches.emplace(name, value);
  }
  return arguments;
}

bool asksForUsage(const std::vector<std::string>& words) {
  for (const std::string& word : words) {
    if (word == "/?" || word == "-?") return true;
  }
  return false;
}

}  // namespace zarn::cli
