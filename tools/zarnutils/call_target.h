// Where a call goes: the classes linked into this program, or the COM server
// registered on the system. Options, output and exit codes do not depend on
// which one answers.
#pragma once

#include <memory>

#include "call_request.h"
#include "command_line.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn::cli {

struct CallOutcome {
  CallStatus status;
  Variant result;
};

class CallTarget {
 public:
  virtual ~CallTarget() = default;

  // Creates the object, finds the method and calls it, as a script would.
  // An unknown class, like an unknown method, fails with 438: that is what
  // late binding reports when it cannot find a member.
  virtual CallOutcome call(const CallRequest& request) = 0;
};

// Calls the classes linked into this program through the late-bound caller.
class InProcessCallTarget : public CallTarget {
 public:
  CallOutcome call(const CallRequest& request) override;
};

// Calls through the COM server registered on the system (ZarnUtils.dll), as
// any other client would: late-bound through IDispatch, or early-bound
// through the class's own interface (com/com_call_target.cpp). Only the
// Windows build has COM; the others throw UsageError.
std::unique_ptr<CallTarget> comCallTarget(Binding binding);

}  // namespace zarn::cli
