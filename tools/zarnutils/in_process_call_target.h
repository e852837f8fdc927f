// Calls the classes linked into this program through the late-bound caller.
#pragma once

#include "call_target.h"

namespace zarn::cli {

class InProcessCallTarget : public CallTarget {
 public:
  CallOutcome call(const CallRequest& request) override;
};

}  // namespace zarn::cli
