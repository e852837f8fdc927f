// reg.exe's command-line form: the verb's fixed words first (key names,
// file names), then switches written /x or -x in any letter case, some of
// which take the next word as their value. Fixed words come first so that a
// Unix path such as /tmp/x.reg is never taken for a switch.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zarn::cli {

struct SwitchRule {
  const char* name;  // lower case, without the / or -
  bool takesValue;
};

struct RegArguments {
  std::vector<std::string> fixed;
  std::map<std::string, std::string> switches;  // name -> value, "" for a flag

  bool has(const std::string& name) const { return switches.count(name) != 0; }
  const std::string& value(const std::string& name) const { return switches.at(name); }
};

// Nothing when the words break the form: too few fixed words, an unknown or
// repeated switch, a switch without its value, or a stray word.
std::optional<RegArguments> parseRegArguments(const std::vector<std::string>& words,
                                              size_t fixedCount, std::span<const SwitchRule> rules);

// /? or -? anywhere asks for the verb's usage.
bool asksForUsage(const std::vector<std::string>& words);

}  // namespace zarn::cli
