#include "component/com/com_classes.h"

// After windows.h, which it needs.
#include <unknwn.h>

#include <array>

#include "component/com/com_object.h"
#include "component/com/dll_module.h"
#include "component/com/platform_forms.h"
#include "component/described_classes.h"

namespace zarn::com {
namespace {

template <class Object>
class ClassObject : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** result) override {
    if (result == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IClassFactory)) {
      *result = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *result = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** result) override {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return ComObject<Object>::create(id, result);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    lockServer(lock != FALSE);
    return S_OK;
  }
};

template <class Object>
ClassObject<Object> classObject;

struct ClassEntry {
  const ClassDescription& description;
  IClassFactory& classObject;
};

template <class... Objects>
std::array<ClassEntry, sizeof...(Objects)> entriesOf(ClassList<Objects...>) {
  return {ClassEntry{descriptionOf<Objects>(), classObject<Objects>}...};
}

}  // namespace

HRESULT getClassObject(REFCLSID classId, REFIID interfaceId, void** result) {
  static const auto entries = entriesOf(DescribedClasses{});
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  for (const ClassEntry& entry : entries) {
    if (IsEqualCLSID(classId, toGuid(entry.description.classId))) {
      return entry.classObject.QueryInterface(interfaceId, result);
    }
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace zarn::com
