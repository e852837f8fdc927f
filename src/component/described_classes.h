// The classes the library describes, each described once as its callers see
// it: the method table, the COM vtable, the type library, registration and
// late binding all derive from these descriptions (description_builder.h says
// how, and what the compiler checks). DescribedClasses lists them in the
// order the type library does: the one list that the class descriptions, the
// native late-bound caller and the DLL's class objects are all taken from.
#pragma once

#include <tuple>

#include "component/description_builder.h"
#include "zarnutils/ini_edit.h"
#include "zarnutils/regedit.h"
#include "zarnutils/registry_object.h"

namespace zarn {

template <>
struct Described<Regedit> : DescriptionTerms {
  static constexpr InterfaceAlias earlierInterface{u"Regedit___v0",
                                                   identity::regeditEarlierInterfaceId, 1, 0};

  static constexpr Face face{.className = u"Regedit",
                             .interfaceName = u"_Regedit",
                             .versionMajor = 1,
                             .versionMinor = 1,
                             .classId = identity::regeditClassId,
                             .interfaceId = identity::regeditInterfaceId,
                             .earlierInterface = &earlierInterface};

  // In interface order. The type library declares the registry methods
  // first and the INI shortcuts last; 0x60030003 to 0x60030005 belong to no
  // method.
  static constexpr std::tuple methods{
      method<automationShaped(&Regedit::EnumKeys)>(u"EnumKeys", 0x60030000, Declared{0},
                                                   returnsText, text(u"sKey"),
                                                   optionalText(u"sDelim", u",")),
      method<automationShaped(&Regedit::EnumValues)>(u"EnumValues", 0x60030001, Declared{1},
                                                     returnsText, text(u"sKey")),
      method<automationShaped(&Regedit::DeleteKey)>(u"DeleteKey", 0x60030002, Declared{2},
                                                    returnsBoolean, text(u"sKey")),
      method<automationShaped(&Regedit::ReadIni)>(u"ReadIni", 0x60030006, Declared{6}, returnsText,
                                                  text(u"sFile"), text(u"sSection"), text(u"sItem"),
                                                  variant(u"vDefValue")),
      method<automationShaped(&Regedit::WriteIni)>(
          u"WriteIni", 0x60030007, Declared{7}, returnsBoolean, text(u"sFile"), text(u"sSection"),
          text(u"sItem"), variant(u"vValue")),
      method<automationShaped(&Regedit::DeleteValue)>(u"DeleteValue", 0x60030008, Declared{3},
                                                      returnsBoolean, text(u"sKey")),
      method<automationShaped(&Regedit::ReadValue)>(u"ReadValue", 0x60030009, Declared{4},
                                                    returnsVariant, text(u"sKey"), text(u"sType"),
                                                    variant(u"vDefault")),
      method<automationShaped(&Regedit::WriteValue)>(u"WriteValue", 0x6003000A, Declared{5},
                                                     returnsBoolean, text(u"sKey"), text(u"sType"),
                                                     variant(u"vValue")),
  };
};

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

template <>
struct Described<RegistryObject> : DescriptionTerms {
  static constexpr Face face{.className = u"Registry",
                             .interfaceName = u"_Registry",
                             .versionMajor = 1,
                             .versionMinor = 0,
                             .classId = identity::registryClassId,
                             .interfaceId = identity::registryInterfaceId};

  // A JScript array passed as a value is taken as its items, since JScript
  // has no other way to pass a list; Regedit and IniEdit keep taking an
  // object by its default value.
  static constexpr bool readsArrayObjects = true;

  // In interface order, which is also the type library's declaration order.
  static constexpr std::tuple methods{
      method<&RegistryObject::Read>(u"Read", 1, Declared{0}, returnsVariant, text(u"Key"),
                                    text(u"Name"), optionalVariant(u"Default")),
      method<&RegistryObject::ReadExpanded>(u"ReadExpanded", 2, Declared{1}, returnsVariant,
                                            text(u"Key"), text(u"Name"),
                                            optionalVariant(u"Default")),
      method<&RegistryObject::ValueType>(u"ValueType", 3, Declared{2}, returnsText, text(u"Key"),
                                         text(u"Name")),
      method<&RegistryObject::Write>(u"Write", 4, Declared{3}, returnsBoolean, text(u"Key"),
                                     text(u"Name"), variant(u"Value"), optionalText(u"Type", u"")),
      method<&RegistryObject::KeyExists>(u"KeyExists", 5, Declared{4}, returnsBoolean,
                                         text(u"Key")),
      method<&RegistryObject::ValueExists>(u"ValueExists", 6, Declared{5}, returnsBoolean,
                                           text(u"Key"), text(u"Name")),
      method<&RegistryObject::CreateKey>(u"CreateKey", 7, Declared{6}, returnsBoolean,
                                         text(u"Key")),
      method<&RegistryObject::DeleteKey>(u"DeleteKey", 8, Declared{7}, returnsBoolean,
                                         text(u"Key")),
      method<&RegistryObject::DeleteValue>(u"DeleteValue", 9, Declared{8}, returnsBoolean,
                                           text(u"Key"), text(u"Name")),
      method<&RegistryObject::Keys>(u"Keys", 10, Declared{9}, returnsVariant, text(u"Key")),
      method<&RegistryObject::Values>(u"Values", 11, Declared{10}, returnsVariant, text(u"Key"),
                                      optionalVariant(u"WithTypes")),
      propertyGet<&RegistryObject::Status>(u"Status", 12, Declared{11}, returnsVariant),
      propertyGet<&RegistryObject::StatusText>(u"StatusText", 13, Declared{12}, returnsText),
      propertyGet<&RegistryObject::RaiseErrors>(u"RaiseErrors", 14, Declared{13}, returnsBoolean),
      propertyPut<&RegistryObject::SetRaiseErrors>(u"RaiseErrors", 14, Declared{14},
                                                   variant(u"Raise")),
      propertyGet<&RegistryObject::View>(u"View", 15, Declared{15}, returnsVariant),
      propertyPut<&RegistryObject::SetView>(u"View", 15, Declared{16}, variant(u"Bits")),
  };
};

template <class... Objects>
struct ClassList {};

using DescribedClasses = ClassList<Regedit, IniEdit, RegistryObject>;

}  // namespace zarn
