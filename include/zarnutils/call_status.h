// The outcome of one automation-shaped method call: success, or failure with
// an automation error number (automation_error.h names them). Reaches COM
// callers as 0x800A0000 + number.
#pragma once

#include <cstdint>

namespace zarn {

struct CallStatus {
  int32_t error = 0;

  bool succeeded() const { return error == 0; }
  bool operator==(const CallStatus& other) const { return error == other.error; }
  bool operator!=(const CallStatus& other) const { return error != other.error; }
};

// The 16-bit automation boolean: -1 is true, 0 is false.
using AutomationBoolean = int16_t;
inline constexpr AutomationBoolean automationTrue = -1;
inline constexpr AutomationBoolean automationFalse = 0;

}  // namespace zarn
