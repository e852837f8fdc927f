// IniEdit: reads and writes single entries of INI files and lists their
// sections and entries, through the platform's profile service.
//
// Every method turns a failure inside its body into its fallback result (a
// copy of the default, false, or the empty text) instead of failing the call;
// the object holds no state and caches nothing itself.
#pragma once

#include "automation/call_status.h"
#include "automation/text.h"
#include "automation/variant.h"

namespace zarn {

class IniEdit {
 public:
  // In interface order.
  CallStatus ReadValue(Text sFile, Text sSection, Text sName, Text sType, Variant vDefault,
                       Variant& result);
  CallStatus WriteValue(Text sFile, Text sSection, Text sName, Variant vValue,
                        AutomationBoolean& result);
  CallStatus EnumSections(Text sFile, Text& result);
  CallStatus EnumValues(Text sFile, Text sSection, Text& result);
};

}  // namespace zarn
