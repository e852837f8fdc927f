// The administrative verbs, "zarnutils reg ..." and "zarnutils ini ...",
// which answer with exit codes instead of the methods' results.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zarn::cli {

// The verb's exit code, or nothing when the first argument names no verb.
std::optional<int> runAdminVerb(const std::vector<std::string>& arguments);

}  // namespace zarn::cli
