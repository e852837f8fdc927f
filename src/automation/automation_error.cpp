#include "zarnutils/automation_error.h"

#include <string>

namespace zarn {

std::string_view errorDescription(int32_t number) {
  switch (number) {
    case error::InvalidProcedureCall: return "Invalid procedure call or argument";
    case error::Overflow: return "Overflow";
    case error::OutOfMemory: return "Out of memory";
    case error::SubscriptOutOfRange: return "Subscript out of range";
    case error::TypeMismatch: return "Type mismatch";
    case error::InvalidUseOfNull: return "Invalid use of Null";
    case error::CantCreateObject: return "ActiveX component can't create object";
    case error::ObjectDoesntSupport: return "Object doesn't support this property or method";
    case error::ArgumentNotOptional: return "Argument not optional";
    case error::WrongNumberOfArguments:
      return "Wrong number of arguments or invalid property assignment";
  }
  return "Application-defined or object-defined error";
}

AutomationError::AutomationError(int32_t number)
    : std::runtime_error(std::string(errorDescription(number))), number_(number) {}

}  // namespace zarn
