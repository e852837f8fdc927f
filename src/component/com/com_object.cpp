// The parts of ComObject that do not depend on its class: its type
// information and its failure reports.
#include "component/com/com_object.h"

#include <wrl/client.h>

#include <map>
#include <mutex>

namespace zarn::com {
namespace {

HRESULT load(const ClassDescription& description, InterfaceTypeInfo& info) {
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
  const HRESULT status = load(description, info);
  if (SUCCEEDED(status)) loaded->emplace(&description, info);
  return status;
}

HRESULT reportFailure(const ClassDescription& failing, int32_t errorNumber) {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> creator;
  if (SUCCEEDED(CreateErrorInfo(&creator))) {
    std::wstring source = wide(failing.progId);
    std::wstring description = wide(errorDescription(errorNumber));
    creator->SetGUID(toGuid(failing.interfaceId));
    creator->SetSource(source.data());
    creator->SetDescription(description.data());
    Microsoft::WRL::ComPtr<IErrorInfo> errorInfo;
    if (SUCCEEDED(creator.As(&errorInfo))) SetErrorInfo(0, errorInfo.Get());
  }
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, errorNumber & 0xFFFF);
}

}  // namespace zarn::com
