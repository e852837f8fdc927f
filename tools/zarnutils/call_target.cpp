#include "call_target.h"

#include <new>

#include "zarnutils/automation_error.h"

namespace zarn::cli {

CallOutcome InProcessCallTarget::call(const CallRequest& request) {
  CallOutcome outcome;
  std::optional<LateBoundObject> object = LateBoundObject::create(request.className);
  if (!object) {
    outcome.status = {error::ObjectDoesntSupport};
    return outcome;
  }
  std::optional<int32_t> dispatchId;
  if (const auto* name = std::get_if<Text>(&request.method)) {
    dispatchId = object->dispatchIdOfName(*name);
  } else {
    dispatchId = std::get<int32_t>(request.method);
  }
  if (!dispatchId) {
    outcome.status = {error::ObjectDoesntSupport};
    return outcome;
  }
  try {
    outcome.status = object->invoke(*dispatchId, request.arguments, outcome.result);
  } catch (const std::bad_alloc&) {
    // Running out of memory fails a call as it would fail a script.
    outcome = {{error::OutOfMemory}, Variant()};
  }
  return outcome;
}

#ifndef _WIN32
std::unique_ptr<CallTarget> comCallTarget(Binding) {
  throw UsageError("--com needs the Windows build");
}
#endif

}  // namespace zarn::cli
