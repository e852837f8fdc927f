// The outcome of one public method call: success, or failure with an
// automation error number. Reaches COM callers as 0x800A0000 + number.
#pragma once

#include <cstdint>

namespace zarn {

struct CallStatus {
  int32_t error = 0;

  bool succeeded() const { return error == 0; }
  bool operator==(const CallStatus&) const = default;
};

// The 16-bit automation boolean: -1 is true, 0 is false.
using AutomationBoolean = int16_t;
constexpr AutomationBoolean automationTrue = -1;
constexpr AutomationBoolean automationFalse = 0;

}  // namespace zarn
