// Calls through the COM server registered on the system (ZarnUtils.dll), as
// any other client would: late-bound through IDispatch, or early-bound
// through the class's own interface. Only the Windows build has COM.
#pragma once

#include <memory>

#include "call_target.h"
#include "command_line.h"

namespace zarn::cli {

// Throws UsageError in a build without COM.
std::unique_ptr<CallTarget> comCallTarget(Binding binding);

}  // namespace zarn::cli
