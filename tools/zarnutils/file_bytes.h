// Whole files in and out, named by UTF-8 paths on both targets.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zarn::cli {

std::optional<std::string> readFileBytes(std::string_view utf8Path);
bool writeFileBytes(std::string_view utf8Path, std::string_view bytes);
bool fileExists(std::string_view utf8Path);

}  // namespace zarn::cli
