// The DLL's entry points.
#include <windows.h>

#include <array>

#include "component/com/class_factory.h"
#include "component/com/com_bindings.h"
#include "component/com/module_state.h"
#include "component/com/registration.h"

namespace {

using zarn::com::AutomationObject;
using zarn::com::ClassFactory;

ClassFactory regeditFactory(zarn::com::regeditClass(), &AutomationObject<zarn::Regedit>::create);
ClassFactory iniEditFactory(zarn::com::iniEditClass(), &AutomationObject<zarn::IniEdit>::create);
const std::array<ClassFactory*, 2> factories{&regeditFactory, &iniEditFactory};

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    zarn::com::setModuleHandle(module);
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  for (ClassFactory* factory : factories) {
    if (IsEqualCLSID(classId, zarn::com::toGuid(factory->comClass().description.classId))) {
      return factory->QueryInterface(interfaceId, result);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT WINAPI DllCanUnloadNow() { return zarn::com::moduleInUse() ? S_FALSE : S_OK; }

HRESULT WINAPI DllRegisterServer() { return zarn::com::registerServer(); }

HRESULT WINAPI DllUnregisterServer() { return zarn::com::unregisterServer(); }

}  // extern "C"
