#include "component/com/registration_entries.h"

#include <cwchar>

#include "component/class_description.h"
#include "component/com/platform_forms.h"

namespace zarn::com {
namespace {

// The automation marshaler, which marshals dual interfaces from the type library.
constexpr identity::Guid automationMarshaler{
    0x00020424, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The platform writes a type library's version in hexadecimal: 34.1 is "22.1".
std::wstring hexVersion() {
  wchar_t text[16];
  std::swprintf(text, 16, L"%x.%x", identity::versionMajor, identity::versionMinor);
  return text;
}

std::wstring interfaceKey(const identity::Guid& id) { return L"Interface\\" + guidText(id); }

}  // namespace

std::wstring typeLibraryKey() { return L"TypeLib\\" + guidText(identity::libraryId); }

std::wstring typeLibraryVersionKey() { return typeLibraryKey() + L"\\" + hexVersion(); }

std::wstring typeLibrarySystemKey() {
  return typeLibraryVersionKey() + L"\\0\\" + wide(ownSystemKindName);
}

std::vector<RegistryEntry> registrationEntries(const std::wstring& serverPath,
                                               const std::wstring& serverFolder) {
  const std::wstring library = guidText(identity::libraryId);
  std::vector<RegistryEntry> entries{
      {typeLibraryVersionKey(), L"", wide(identity::helpString)},
      {typeLibrarySystemKey(), L"", serverPath},
      {typeLibraryVersionKey() + L"\\FLAGS", L"", L"0"},
      {typeLibraryVersionKey() + L"\\HELPDIR", L"", serverFolder},
  };
  for (const ClassDescription* description : describedClasses()) {
    const std::wstring classKey = L"CLSID\\" + guidText(description->classId);
    const std::wstring progId = wide(description->progId);
    entries.insert(entries.end(),
                   {
                       {classKey, L"", progId},
                       {classKey + L"\\InprocServer32", L"", serverPath},
                       {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
                       {classKey + L"\\ProgID", L"", progId},
                       {classKey + L"\\TypeLib", L"", library},
                       {progId, L"", progId},
                       {progId + L"\\CLSID", L"", guidText(description->classId)},
                   });
    // Every identifier the class answers to is registered as its interface.
    for (const identity::Guid* id : description->answeredInterfaceIds) {
      const std::wstring key = interfaceKey(*id);
      entries.insert(entries.end(),
                     {
                         {key, L"", wide(description->interfaceName)},
                         {key + L"\\ProxyStubClsid", L"", guidText(automationMarshaler)},
                         {key + L"\\ProxyStubClsid32", L"", guidText(automationMarshaler)},
                         {key + L"\\TypeLib", L"", library},
                         {key + L"\\TypeLib", L"Version", hexVersion()},
                     });
    }
  }
  return entries;
}

std::vector<std::wstring> classKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    keys.push_back(L"CLSID\\" + guidText(description->classId));
  }
  return keys;
}

std::vector<std::wstring> interfaceKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    for (const identity::Guid* id : description->answeredInterfaceIds) {
      keys.push_back(interfaceKey(*id));
    }
  }
  return keys;
}

std::vector<std::wstring> progIdKeys() {
  std::vector<std::wstring> keys;
  for (const ClassDescription* description : describedClasses()) {
    keys.push_back(wide(description->progId));
  }
  return keys;
}

}  // namespace zarn::com
