#include "component/com/class_factory.h"

#include "component/com/dll_module.h"

namespace zarn::com {

HRESULT ClassFactory::QueryInterface(REFIID id, void** result) {
  if (result == nullptr) return E_POINTER;
  if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
    *result = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  *result = nullptr;
  return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID id, void** result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  return create_(id, result);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  lockServer(lock != FALSE);
  return S_OK;
}

}  // namespace zarn::com
