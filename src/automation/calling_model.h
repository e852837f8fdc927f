// The calling model every public method follows: the result starts at its
// initial value (empty text, empty variant or false); a failure the method
// does not handle itself discards the result back to that value and is
// returned as the call's status.
#pragma once

#include <new>

#include "automation/automation_error.h"
#include "automation/call_status.h"

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

}  // namespace zarn
