#include "call_target.h"

#include <new>

#include "zarnutils/automation_error.h"

namespace zarn::cli {

CallOutcome InProcessCallTarget::call(const CallRequest& request) {
  try {
    std::optional<LateBoundObject> object = LateBoundObject::create(request.className);
    if (!object) return {{error::ObjectDoesntSupport}, Variant()};
    std::optional<int32_t> dispatchId;
    if (const auto* name = std::get_if<Text>(&request.method)) {
      dispatchId = object->dispatchIdOfName(*name);
    } else {
      dispatchId = std::get<int32_t>(request.method);
    }
    if (!dispatchId) return {{error::ObjectDoesntSupport}, Variant()};
    CallOutcome outcome;
    outcome.status = object->invoke(*dispatchId, request.arguments, outcome.result);
    return outcome;
  } catch (const std::bad_alloc&) {
    // Running out of memory fails a call as it would fail a script.
    return {{error::OutOfMemory}, Variant()};
  }
}

#ifndef _WIN32
std::unique_ptr<CallTarget> comCallTarget(Binding) {
  throw UsageError("--com needs the Windows build");
}
#endif

}  // namespace zarn::cli
