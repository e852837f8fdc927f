// Whole answers from the profile service, however long: the service cuts
// what does not fit its buffer, so these ask again with a larger one.
// Everything is UTF-8 here and narrow at the service.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarn::cli {

std::vector<std::string> sectionNames(const std::string& file);
std::vector<std::string> sectionLines(const std::string& file, const std::string& section);
bool hasSection(const std::string& file, const std::string& section);
// Nothing when the entry is missing (or its section or file is).
std::optional<std::string> entryValue(const std::string& file, const std::string& section,
                                      const std::string& key);

}  // namespace zarn::cli
