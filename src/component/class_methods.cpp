#include "component/class_methods.h"

#include <array>

namespace zarn {

template <>
std::span<const MethodInvoker<Regedit>> methodTable<Regedit>() {
  static constexpr std::array<MethodInvoker<Regedit>, 8> table{
      invokeMethod<&Regedit::EnumKeys, Regedit>,    invokeMethod<&Regedit::EnumValues, Regedit>,
      invokeMethod<&Regedit::DeleteKey, Regedit>,   invokeMethod<&Regedit::ReadIni, Regedit>,
      invokeMethod<&Regedit::WriteIni, Regedit>,    invokeMethod<&Regedit::DeleteValue, Regedit>,
      invokeMethod<&Regedit::ReadValue, Regedit>,   invokeMethod<&Regedit::WriteValue, Regedit>,
  };
  return table;
}

template <>
std::span<const MethodInvoker<IniEdit>> methodTable<IniEdit>() {
  static constexpr std::array<MethodInvoker<IniEdit>, 4> table{
      invokeMethod<&IniEdit::ReadValue, IniEdit>,
      invokeMethod<&IniEdit::WriteValue, IniEdit>,
      invokeMethod<&IniEdit::EnumSections, IniEdit>,
      invokeMethod<&IniEdit::EnumValues, IniEdit>,
  };
  return table;
}

}  // namespace zarn
