#include "component/dispatch_description.h"

#include <array>

#include "automation/text.h"

namespace zarn {
namespace {

using P = ParameterDescription;
constexpr auto text = ParameterKind::Text;
constexpr auto variant = ParameterKind::Variant;

constexpr std::array<P, 2> enumKeysParameters{{{u"sKey", text}, {u"sDelim", text, true, u","}}};
constexpr std::array<P, 1> keyOnly{{{u"sKey", text}}};
constexpr std::array<P, 4> readIniParameters{
    {{u"sFile", text}, {u"sSection", text}, {u"sItem", text}, {u"vDefValue", variant}}};
constexpr std::array<P, 4> writeIniParameters{
    {{u"sFile", text}, {u"sSection", text}, {u"sItem", text}, {u"vValue", variant}}};
constexpr std::array<P, 3> readValueParameters{{{u"sKey", text}, {u"sType", text}, {u"vDefault", variant}}};
constexpr std::array<P, 3> writeValueParameters{{{u"sKey", text}, {u"sType", text}, {u"vValue", variant}}};

constexpr std::array<P, 5> iniReadValueParameters{{{u"sFile", text},
                                                   {u"sSection", text},
                                                   {u"sName", text},
                                                   {u"sType", text},
                                                   {u"vDefault", variant}}};
constexpr std::array<P, 4> iniWriteValueParameters{
    {{u"sFile", text}, {u"sSection", text}, {u"sName", text}, {u"vValue", variant}}};
constexpr std::array<P, 1> fileOnly{{{u"sFile", text}}};
constexpr std::array<P, 2> fileAndSection{{{u"sFile", text}, {u"sSection", text}}};

// 0x60030003 to 0x60030005 belong to no method of _Regedit.
const std::array<MethodDescription, 8> regeditMethods{{
    {u"EnumKeys", 0x60030000, enumKeysParameters, ResultKind::Text},
    {u"EnumValues", 0x60030001, keyOnly, ResultKind::Text},
    {u"DeleteKey", 0x60030002, keyOnly, ResultKind::Boolean},
    {u"ReadIni", 0x60030006, readIniParameters, ResultKind::Text},
    {u"WriteIni", 0x60030007, writeIniParameters, ResultKind::Boolean},
    {u"DeleteValue", 0x60030008, keyOnly, ResultKind::Boolean},
    {u"ReadValue", 0x60030009, readValueParameters, ResultKind::Variant},
    {u"WriteValue", 0x6003000A, writeValueParameters, ResultKind::Boolean},
}};
constexpr std::array<int, 8> regeditDeclarationOrder{0, 1, 2, 5, 6, 7, 3, 4};

const std::array<MethodDescription, 4> iniEditMethods{{
    {u"ReadValue", 0x60030000, iniReadValueParameters, ResultKind::Variant},
    {u"WriteValue", 0x60030001, iniWriteValueParameters, ResultKind::Boolean},
    {u"EnumSections", 0x60030002, fileOnly, ResultKind::Text},
    {u"EnumValues", 0x60030003, fileAndSection, ResultKind::Text},
}};
constexpr std::array<int, 4> iniEditDeclarationOrder{0, 1, 2, 3};

}  // namespace

const InterfaceDescription& regeditInterface() {
  static const InterfaceDescription description{
      u"_Regedit", identity::regeditClassName, identity::regeditProgId, 1, 1,
      identity::regeditInterfaceId, identity::regeditClassId, regeditMethods,
      regeditDeclarationOrder};
  return description;
}

const InterfaceDescription& iniEditInterface() {
  static const InterfaceDescription description{
      u"_IniEdit", identity::iniEditClassName, identity::iniEditProgId, 1, 0,
      identity::iniEditInterfaceId, identity::iniEditClassId, iniEditMethods,
      iniEditDeclarationOrder};
  return description;
}

const InterfaceDescription* findClass(std::u16string_view classNameOrProgId) {
  for (const InterfaceDescription* description : {&regeditInterface(), &iniEditInterface()}) {
    if (equalsIgnoringCase(classNameOrProgId, description->className) ||
        equalsIgnoringCase(classNameOrProgId, description->progId)) {
      return description;
    }
  }
  return nullptr;
}

int findMethodByName(const InterfaceDescription& description, std::u16string_view name) {
  for (size_t i = 0; i < description.methods.size(); ++i) {
    if (equalsIgnoringCase(description.methods[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

int findMethodByDispatchId(const InterfaceDescription& description, int32_t dispatchId) {
  for (size_t i = 0; i < description.methods.size(); ++i) {
    if (description.methods[i].dispatchId == dispatchId) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace zarn
