// Where a call goes: the classes linked into this program, or the COM server
// registered on the system. Options, output and exit codes do not depend on
// which one answers.
#pragma once

#include "call_request.h"
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

}  // namespace zarn::cli
