// Makes one call through the late-bound caller, as a script would: create
// the object, look the method up, invoke it.
#pragma once

#include "call_request.h"
#include "component/call_status.h"
#include "platform/variant.h"

namespace zarn::cli {

struct CallOutcome {
  CallStatus status;
  Variant result;
};

// An unknown class, like an unknown method, fails with 438: that is what
// late binding reports when it cannot find a member.
CallOutcome performCall(const CallRequest& request);

}  // namespace zarn::cli
