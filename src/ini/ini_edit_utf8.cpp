// IniEdit's UTF-8 forms: convert, call the automation-shaped method, give
// back its result.
#include "automation/calling_model.h"
#include "zarnutils/ini_edit.h"

namespace zarn {

Variant IniEdit::ReadValue(std::string_view sFile, std::string_view sSection,
                           std::string_view sName, std::string_view sType,
                           const Variant& vDefault) {
  return resultOrThrow<Variant>([&](Variant& result) {
    return ReadValue(utf8ToText(sFile), utf8ToText(sSection), utf8ToText(sName), utf8ToText(sType),
                     vDefault, result);
  });
}

bool IniEdit::WriteValue(std::string_view sFile, std::string_view sSection, std::string_view sName,
                         const Variant& vValue) {
  return resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
           return WriteValue(utf8ToText(sFile), utf8ToText(sSection), utf8ToText(sName), vValue,
                             result);
         }) != automationFalse;
}

std::string IniEdit::EnumSections(std::string_view sFile) {
  return textToUtf8(
      resultOrThrow<Text>([&](Text& result) { return EnumSections(utf8ToText(sFile), result); }));
}

std::string IniEdit::EnumValues(std::string_view sFile, std::string_view sSection) {
  return textToUtf8(resultOrThrow<Text>(
      [&](Text& result) { return EnumValues(utf8ToText(sFile), utf8ToText(sSection), result); }));
}

}  // namespace zarn
