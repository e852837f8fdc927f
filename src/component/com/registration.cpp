#include "component/com/registration.h"

#include <oleauto.h>

#include <string>
#include <tuple>

#include "component/class_description.h"
#include "component/com/dll_module.h"
#include "component/com/platform_forms.h"

namespace zarn::com {
namespace {

HRESULT fromRegistry(LSTATUS status) { return HRESULT_FROM_WIN32(status); }

HRESULT setText(const std::wstring& keyPath, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, 0, KEY_WRITE,
                                   nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return fromRegistry(status);
  status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return fromRegistry(status);
}

HRESULT removeTree(const std::wstring& keyPath) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath.c_str());
  return status == ERROR_FILE_NOT_FOUND ? S_OK : fromRegistry(status);
}

std::wstring interfaceKey(const identity::Guid& id) { return L"Interface\\" + guidText(id); }

// An interface identifier the type library does not register gets a copy of
// the entry that registering the type library wrote for the class's interface.
HRESULT registerFurtherInterface(const ClassDescription& description, const identity::Guid& id) {
  HKEY source = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CLASSES_ROOT,
                                 interfaceKey(description.interfaceId).c_str(), 0,
                                 KEY_READ, &source);
  if (status != ERROR_SUCCESS) return fromRegistry(status);
  HKEY target = nullptr;
  status = RegCreateKeyExW(HKEY_CLASSES_ROOT, interfaceKey(id).c_str(), 0, nullptr, 0,
                           KEY_ALL_ACCESS, nullptr, &target, nullptr);
  if (status == ERROR_SUCCESS) {
    status = RegCopyTreeW(source, nullptr, target);
    RegCloseKey(target);
  }
  RegCloseKey(source);
  return fromRegistry(status);
}

HRESULT registerClass(const ClassDescription& description, const std::wstring& serverPath) {
  const std::wstring classKey = L"CLSID\\" + guidText(description.classId);
  const std::wstring progId = wide(description.progId);
  const std::wstring classIdText = guidText(description.classId);
  HRESULT status = S_OK;
  for (const auto& [key, name, value] : {
           std::tuple<std::wstring, const wchar_t*, std::wstring>{classKey, nullptr, progId},
           {classKey + L"\\InprocServer32", nullptr, serverPath},
           {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
           {classKey + L"\\ProgID", nullptr, progId},
           {classKey + L"\\TypeLib", nullptr, guidText(identity::libraryId)},
           {progId, nullptr, progId},
           {progId + L"\\CLSID", nullptr, classIdText},
       }) {
    if (FAILED(status = setText(key, name, value))) return status;
  }
  for (const identity::Guid* id : description.answeredInterfaceIds) {
    if (id == &description.interfaceId) continue;
    if (FAILED(status = registerFurtherInterface(description, *id))) return status;
  }
  return S_OK;
}

}  // namespace

HRESULT registerServer() {
  const std::wstring serverPath = modulePath();
  ITypeLib* library = nullptr;
  HRESULT status = LoadTypeLibEx(serverPath.c_str(), REGKIND_NONE, &library);
  if (FAILED(status)) return status;
  status = RegisterTypeLib(library, const_cast<wchar_t*>(serverPath.c_str()), nullptr);
  library->Release();
  if (FAILED(status)) return status;
  for (const ClassDescription* description : describedClasses()) {
    if (FAILED(status = registerClass(*description, serverPath))) return status;
  }
  return S_OK;
}

HRESULT unregisterServer() {
  HRESULT overall = S_OK;
  const auto note = [&overall](HRESULT status) {
    if (FAILED(status) && SUCCEEDED(overall)) overall = status;
  };
  for (const ClassDescription* description : describedClasses()) {
    note(removeTree(L"CLSID\\" + guidText(description->classId)));
    note(removeTree(wide(description->progId)));
    for (const identity::Guid* id : description->answeredInterfaceIds) {
      if (id != &description->interfaceId) note(removeTree(interfaceKey(*id)));
    }
  }
  const HRESULT status = UnRegisterTypeLib(toGuid(identity::libraryId), identity::versionMajor,
                                           identity::versionMinor, identity::localeNeutral,
                                           SYS_WIN32);
  if (status != TYPE_E_REGISTRYACCESS && status != TYPE_E_LIBNOTREGISTERED) note(status);
  return overall;
}

}  // namespace zarn::com
