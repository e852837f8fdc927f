// The DLL as a module: its six entry points and what it keeps as a whole:
// its module handle, the count of live objects and server locks that decides
// whether it may be unloaded, one class object per described class, and the
// type information every object of a class shares. The classes' objects are
// the template of com_object.h; what registration writes is registration.cpp.
#include <windows.h>
// After windows.h, which they need.
#include <unknwn.h>
#include <wrl/client.h>

#include <array>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "component/com/com_object.h"
#include "component/com/platform_forms.h"
#include "component/com/registration.h"
#include "component/described_classes.h"

namespace zarn::com {
namespace {

HMODULE ownModule = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

// The DLL's own full path, for registration and for loading its type library.
std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(ownModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// Class objects are static; only server locks keep the DLL loaded.
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
    lock != FALSE ? ++serverLocks : --serverLocks;
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

// What DllGetClassObject hands out; CLASS_E_CLASSNOTAVAILABLE for a class
// this library does not provide.
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

HRESULT loadTypeInfo(const ClassDescription& description, InterfaceTypeInfo& info) {
  ITypeLib* library = nullptr;
  HRESULT status = LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &library);
  if (FAILED(status)) return status;
  status = library->GetTypeInfoOfGuid(toGuid(description.interfaceId), &info.dispatchSide);
  library->Release();
  if (FAILED(status)) return status;
  // A dual interface's dispatch description refers to its vtable description.
  HREFTYPE vtableReference = 0;
  status = info.dispatchSide->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableReference);
  if (SUCCEEDED(status))
    status = info.dispatchSide->GetRefTypeInfo(vtableReference, &info.vtableSide);
  if (FAILED(status)) {
    info.dispatchSide->Release();
    info = {};
  }
  return status;
}

}  // namespace

void objectCreated() { ++liveObjects; }
void objectDestroyed() { --liveObjects; }

HRESULT interfaceTypeInfo(const ClassDescription& description, InterfaceTypeInfo& info) {
  // Never freed: releasing type information while the process detaches the
  // DLL is not safe, and the process ends right after.
  static std::mutex* const guard = new std::mutex;
  static auto* const loaded = new std::map<const ClassDescription*, InterfaceTypeInfo>;
  const std::lock_guard<std::mutex> lock(*guard);
  const auto found = loaded->find(&description);
  if (found != loaded->end()) {
    info = found->second;
    return S_OK;
  }
  const HRESULT status = loadTypeInfo(description, info);
  if (SUCCEEDED(status)) loaded->emplace(&description, info);
  return status;
}

HRESULT reportFailure(const ClassDescription& failing, int32_t errorNumber,
                      std::u16string_view errorText) {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> creator;
  if (SUCCEEDED(CreateErrorInfo(&creator))) {
    std::wstring source = wide(failing.progId);
    std::wstring description =
        errorText.empty() ? wide(errorDescription(errorNumber)) : wide(errorText);
    creator->SetGUID(toGuid(failing.interfaceId));
    creator->SetSource(source.data());
    creator->SetDescription(description.data());
    Microsoft::WRL::ComPtr<IErrorInfo> errorInfo;
    if (SUCCEEDED(creator.As(&errorInfo))) SetErrorInfo(0, errorInfo.Get());
  }
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, errorNumber & 0xFFFF);
}

}  // namespace zarn::com

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    zarn::com::ownModule = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** result) {
  return zarn::com::getClassObject(classId, interfaceId, result);
}

HRESULT WINAPI DllCanUnloadNow() {
  return zarn::com::liveObjects > 0 || zarn::com::serverLocks > 0 ? S_FALSE : S_OK;
}

HRESULT WINAPI DllRegisterServer() {
  return zarn::com::registerServer(zarn::com::RegistrationScope::Machine, zarn::com::modulePath());
}

HRESULT WINAPI DllUnregisterServer() {
  return zarn::com::unregisterServer(zarn::com::RegistrationScope::Machine);
}

// regsvr32 /n /i:user (with /u: removal) registers for the current user.
HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return zarn::com::install(install != FALSE, commandLine, zarn::com::modulePath());
}

}  // extern "C"
