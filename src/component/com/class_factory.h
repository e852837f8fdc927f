// The class object of one class: creates a new object on every request.
// Class objects are static; only server locks keep the DLL loaded.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <unknwn.h>

#include "component/com/class_interfaces.h"

namespace zarn::com {

class ClassFactory : public IClassFactory {
 public:
  using Creator = HRESULT (*)(REFIID interfaceId, void** result);

  ClassFactory(const ComClass& comClass, Creator create) : comClass_(comClass), create_(create) {}

  const ComClass& comClass() const { return comClass_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** result) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** result) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  const ComClass& comClass_;
  Creator create_;
};

}  // namespace zarn::com
