// Regedit's UTF-8 forms: convert, call the automation-shaped method, give
// back its result or throw its failure.
#include "automation/calling_model.h"
#include "zarnutils/regedit.h"

namespace zarn {
namespace {

bool isTrue(AutomationBoolean value) { return value != automationFalse; }

}  // namespace

std::string Regedit::EnumKeys(std::string_view sKey, std::string_view sDelim) {
  return textToUtf8(resultOrThrow<Text>(
      [&](Text& result) { return EnumKeys(utf8ToText(sKey), utf8ToText(sDelim), result); }));
}

std::string Regedit::EnumValues(std::string_view sKey) {
  return textToUtf8(
      resultOrThrow<Text>([&](Text& result) { return EnumValues(utf8ToText(sKey), result); }));
}

bool Regedit::DeleteKey(std::string_view sKey) {
  return isTrue(resultOrThrow<AutomationBoolean>(
      [&](AutomationBoolean& result) { return DeleteKey(utf8ToText(sKey), result); }));
}

std::string Regedit::ReadIni(std::string_view sFile, std::string_view sSection,
                             std::string_view sItem, const Variant& vDefValue) {
  return textToUtf8(resultOrThrow<Text>([&](Text& result) {
    return ReadIni(utf8ToText(sFile), utf8ToText(sSection), utf8ToText(sItem), vDefValue, result);
  }));
}

bool Regedit::WriteIni(std::string_view sFile, std::string_view sSection, std::string_view sItem,
                       const Variant& vValue) {
  return isTrue(resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
    return WriteIni(utf8ToText(sFile), utf8ToText(sSection), utf8ToText(sItem), vValue, result);
  }));
}

bool Regedit::DeleteValue(std::string_view sKey) {
  return isTrue(resultOrThrow<AutomationBoolean>(
      [&](AutomationBoolean& result) { return DeleteValue(utf8ToText(sKey), result); }));
}

Variant Regedit::ReadValue(std::string_view sKey, std::string_view sType, const Variant& vDefault) {
  return resultOrThrow<Variant>([&](Variant& result) {
    return ReadValue(utf8ToText(sKey), utf8ToText(sType), vDefault, result);
  });
}

bool Regedit::WriteValue(std::string_view sKey, std::string_view sType, const Variant& vValue) {
  return isTrue(resultOrThrow<AutomationBoolean>([&](AutomationBoolean& result) {
    return WriteValue(utf8ToText(sKey), utf8ToText(sType), vValue, result);
  }));
}

}  // namespace zarn
