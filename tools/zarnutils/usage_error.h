// A command line or batch line that does not say what to call: a missing or
// malformed CLASS.METHOD, an unknown option, an argument of a malformed form.
#pragma once

#include <stdexcept>

namespace zarn::cli {

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace zarn::cli
