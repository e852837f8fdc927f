// Which class methods fill each interface's vtable, in interface order.
#pragma once

#include "component/com/com_object.h"
#include "ini/ini_edit.h"
#include "registry/regedit.h"

namespace zarn::com {

template <>
struct ComBinding<Regedit> {
  static const ComClass& comClass() { return regeditClass(); }
  using Methods = MethodList<&Regedit::EnumKeys, &Regedit::EnumValues, &Regedit::DeleteKey,
                             &Regedit::ReadIni, &Regedit::WriteIni, &Regedit::DeleteValue,
                             &Regedit::ReadValue, &Regedit::WriteValue>;
};

template <>
struct ComBinding<IniEdit> {
  static const ComClass& comClass() { return iniEditClass(); }
  using Methods = MethodList<&IniEdit::ReadValue, &IniEdit::WriteValue, &IniEdit::EnumSections,
                             &IniEdit::EnumValues>;
};

}  // namespace zarn::com
