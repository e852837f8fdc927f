// This build has no COM to call through.
#include "com_call_target.h"

#include "usage_error.h"

namespace zarn::cli {

std::unique_ptr<CallTarget> comCallTarget(Binding) {
  throw UsageError("--com needs the Windows build");
}

}  // namespace zarn::cli
