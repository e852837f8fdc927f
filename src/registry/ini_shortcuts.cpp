// ReadIni and WriteIni: a fresh IniEdit for every call, released before the
// call returns; a failure of the forwarded call is this call's failure.
#include "automation/calling_model.h"
#include "platform/conversions.h"
#include "zarnutils/ini_edit.h"
#include "zarnutils/regedit.h"

namespace zarn {

CallStatus Regedit::ReadIni(Text sFile, Text sSection, Text sItem, Variant vDefValue,
                            Text& result) {
  return runPublicMethod(result, [&] {
    IniEdit iniEdit;
    Variant value;
    throwOnFailure(iniEdit.ReadValue(sFile, sSection, sItem, u"S", vDefValue, value));
    result = toText(value);
  });
}

CallStatus Regedit::WriteIni(Text sFile, Text sSection, Text sItem, Variant vValue,
                             AutomationBoolean& result) {
  return runPublicMethod(result, [&] {
    IniEdit iniEdit;
    AutomationBoolean written = automationFalse;
    throwOnFailure(iniEdit.WriteValue(sFile, sSection, sItem, vValue, written));
    result = written;
  });
}

}  // namespace zarn
