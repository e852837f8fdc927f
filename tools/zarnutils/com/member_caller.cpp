#include "com/member_caller.h"

#include "component/com/platform_forms.h"

namespace zarn::cli {
namespace {

using Microsoft::WRL::ComPtr;

class DispatchCaller : public MemberCaller {
 public:
  explicit DispatchCaller(ComPtr<IDispatch> object) : object_(std::move(object)) {}

  HRESULT dispatchIdOfName(const wchar_t* name, DISPID& id) override {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  }

  HRESULT invoke(DISPID id, DISPPARAMS& arguments, VARIANT& result, EXCEPINFO& exception) override {
    UINT argumentError = 0;
    return object_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &arguments, &result,
                           &exception, &argumentError);
  }

 private:
  ComPtr<IDispatch> object_;
};

// ITypeInfo::Invoke on the interface's own (vtable) type information calls
// the method at the slot the type library records for it, on the interface
// pointer given: the object's IDispatch::Invoke is never used.
class InterfaceCaller : public MemberCaller {
 public:
  InterfaceCaller(ComPtr<IUnknown> face, ComPtr<ITypeInfo> slots)
      : interface_(std::move(face)), slots_(std::move(slots)) {}

  HRESULT dispatchIdOfName(const wchar_t* name, DISPID& id) override {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return slots_->GetIDsOfNames(names, 1, &id);
  }

  HRESULT invoke(DISPID id, DISPPARAMS& arguments, VARIANT& result, EXCEPINFO& exception) override {
    UINT argumentError = 0;
    return slots_->Invoke(interface_.Get(), id, DISPATCH_METHOD, &arguments, &result, &exception,
                          &argumentError);
  }

 private:
  ComPtr<IUnknown> interface_;
  ComPtr<ITypeInfo> slots_;
};

// A dual interface's type information describes its dispatch side; the
// vtable side is the one it refers to as implemented type -1.
HRESULT vtableSide(IDispatch& object, ComPtr<ITypeInfo>& slots) {
  ComPtr<ITypeInfo> dispatchSide;
  HRESULT status = object.GetTypeInfo(0, LOCALE_USER_DEFAULT, &dispatchSide);
  if (FAILED(status)) return status;
  HREFTYPE reference = 0;
  status = dispatchSide->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference);
  if (FAILED(status)) return status;
  return dispatchSide->GetRefTypeInfo(reference, &slots);
}

}  // namespace

HRESULT bindMembers(const ComPtr<IDispatch>& object, const ClassDescription& description,
                    Binding binding, std::unique_ptr<MemberCaller>& caller) {
  if (binding == Binding::Late) {
    caller = std::make_unique<DispatchCaller>(object);
    return S_OK;
  }
  ComPtr<IUnknown> face;
  HRESULT status = object->QueryInterface(com::toGuid(description.interfaceId),
                                          reinterpret_cast<void**>(face.GetAddressOf()));
  if (FAILED(status)) return status;
  ComPtr<ITypeInfo> slots;
  status = vtableSide(*object.Get(), slots);
  if (FAILED(status)) return status;
  caller = std::make_unique<InterfaceCaller>(std::move(face), std::move(slots));
  return S_OK;
}

}  // namespace zarn::cli
