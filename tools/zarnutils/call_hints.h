// What a failed call's error line leaves a user to guess. Late binding
// answers 438 for a class or method it cannot find and 449/450 for a wrong
// number of arguments, as a script would see them; at the command line the
// user also wants the names that do exist, the nearest one to a typo, and
// the parameters the method takes.
#pragma once

#include <optional>
#include <string>

#include "call_request.h"

namespace zarn::cli {

// Lines for standard error after the error line, or nothing when the error
// is not about what was called or how many arguments it got.
std::optional<std::string> callHint(const CallRequest& request, int32_t error);

// Lines for standard error naming each argument that names a registry key or
// value, or an INI file, section or entry, and holds a NUL: the call
// answers as for an invalid parameter, which alone would not say why.
std::optional<std::string> nulHint(const CallRequest& request);

}  // namespace zarn::cli
