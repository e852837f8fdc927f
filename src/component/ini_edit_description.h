// IniEdit as its callers see it, described once: the method table, the COM
// vtable, the type library, registration and late binding all derive from
// this (description_builder.h says how, and what the compiler checks).
#pragma once

#include <tuple>

#include "component/description_builder.h"
#include "zarnutils/ini_edit.h"

namespace zarn {

template <>
struct Described<IniEdit> : DescriptionTerms {
  static constexpr Face face{.className = u"IniEdit",
                             .interfaceName = u"_IniEdit",
                             .versionMajor = 1,
                             .versionMinor = 0,
                             .classId = identity::iniEditClassId,
                             .interfaceId = identity::iniEditInterfaceId};

  // In interface order, which is also the type library's declaration order.
  static constexpr std::tuple methods{
      method<automationShaped(&IniEdit::ReadValue)>(
          u"ReadValue", 0x60030000, Declared{0}, returnsVariant, text(u"sFile"), text(u"sSection"),
          text(u"sName"), text(u"sType"), variant(u"vDefault")),
      method<automationShaped(&IniEdit::WriteValue)>(
          u"WriteValue", 0x60030001, Declared{1}, returnsBoolean, text(u"sFile"), text(u"sSection"),
          text(u"sName"), variant(u"vValue")),
      method<automationShaped(&IniEdit::EnumSections)>(u"EnumSections", 0x60030002, Declared{2},
                                                       returnsText, text(u"sFile")),
      method<automationShaped(&IniEdit::EnumValues)>(
          u"EnumValues", 0x60030003, Declared{3}, returnsText, text(u"sFile"), text(u"sSection")),
  };
};

}  // namespace zarn
