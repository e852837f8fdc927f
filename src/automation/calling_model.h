// The calling model every public method follows: the result starts at its
// initial value (empty text, empty variant or false); a failure the method
// does not handle itself discards the result back to that value and is
// returned as the call's status. The UTF-8 forms of the methods, and calls
// that forward to another method, turn a failed status back into the
// failure.
#pragma once

#include <new>

#include "zarnutils/automation_error.h"
#include "zarnutils/call_status.h"

namespace zarn {

template <class Result, class Body>
CallStatus runPublicMethod(Result& result, Body&& body) {
  result = Result{};
  try {
    body();
    return {};
  } catch (const AutomationError& failure) {
    result = Result{};
    return {failure.number()};
  } catch (const std::bad_alloc&) {
    result = Result{};
    return {error::OutOfMemory};
  }
}

inline void throwOnFailure(CallStatus status) {
  if (!status.succeeded()) throw AutomationError(status.error);
}

// Calls an automation-shaped method and gives back its result, or throws
// its failure.
template <class Result, class Call>
Result resultOrThrow(Call&& call) {
  Result result{};
  throwOnFailure(call(result));
  return result;
}

}  // namespace zarn
