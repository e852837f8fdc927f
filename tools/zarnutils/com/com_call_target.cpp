// --com: calls through the COM server registered on the system, as any
// other client would.
#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>
#include <wrl/client.h>

#include <array>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "call_target.h"
#include "command_line.h"
#include "component/class_description.h"
#include "component/com/platform_forms.h"
#include "platform/win32/automation_variant.h"
#include "zarnutils/automation_error.h"

namespace zarn::cli {
namespace {

using Microsoft::WRL::ComPtr;

// How a call reaches the methods of a created COM object: late-bound through
// its IDispatch, as a script does, or early-bound through the class's own
// interface, as a compiled client does.
class MemberCaller {
 public:
  virtual ~MemberCaller() = default;

  virtual HRESULT dispatchIdOfName(const wchar_t* name, DISPID& id) = 0;

  // Calls the method as a method: a failure the method reports comes back as
  // DISP_E_EXCEPTION with its status in exception.scode.
  virtual HRESULT invoke(DISPID id, DISPPARAMS& arguments, VARIANT& result,
                         EXCEPINFO& exception) = 0;
};

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

// The early-bound caller calls each method through its slot in the class's
// interface (found by the object's type library, which knows the slots);
// the late-bound one leaves lookup and calling to the object's IDispatch.
// Fails with the platform's status when the object lacks that interface or
// its type information.
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

// The dispatch failures a script reports by their error numbers.
constexpr std::array<std::pair<HRESULT, int32_t>, 7> dispatchFailures{{
    {DISP_E_MEMBERNOTFOUND, error::ObjectDoesntSupport},
    {DISP_E_UNKNOWNNAME, error::ObjectDoesntSupport},
    {DISP_E_PARAMNOTFOUND, error::ArgumentNotOptional},
    {DISP_E_TYPEMISMATCH, error::TypeMismatch},
    {DISP_E_OVERFLOW, error::Overflow},
    {DISP_E_BADPARAMCOUNT, error::WrongNumberOfArguments},
    {E_OUTOFMEMORY, error::OutOfMemory},
}};

// A method's own failure arrives as 0x800A0000 + its error number; any other
// status is reported as the number it is, as scripts do.
int32_t errorNumberOf(HRESULT status) {
  if (HRESULT_FACILITY(status) == FACILITY_CONTROL) return HRESULT_CODE(status);
  for (const auto& [failure, number] : dispatchFailures) {
    if (status == failure) return number;
  }
  return status;
}

// The EXCEPINFO of one call, its strings freed when it goes.
class ExceptionReport {
 public:
  ExceptionReport() = default;
  ExceptionReport(const ExceptionReport&) = delete;
  ExceptionReport& operator=(const ExceptionReport&) = delete;
  ~ExceptionReport() {
    SysFreeString(report_.bstrSource);
    SysFreeString(report_.bstrDescription);
    SysFreeString(report_.bstrHelpFile);
  }

  EXCEPINFO& get() { return report_; }

  int32_t errorNumber() {
    if (report_.pfnDeferredFillIn != nullptr) report_.pfnDeferredFillIn(&report_);
    return report_.wCode != 0 ? report_.wCode : errorNumberOf(report_.scode);
  }

 private:
  EXCEPINFO report_{};
};

// The arguments as DISPPARAMS holds them: last one first, an omitted one as
// the error value that marks a missing argument.
class DispatchArguments {
 public:
  explicit DispatchArguments(const std::vector<LateBoundArgument>& arguments) {
    values_.list.reserve(arguments.size());
    for (auto argument = arguments.rbegin(); argument != arguments.rend(); ++argument) {
      VARIANT& value = values_.list.emplace_back();
      VariantInit(&value);
      if (argument->has_value()) {
        fillVariant(value, **argument);
      } else {
        V_VT(&value) = VT_ERROR;
        V_ERROR(&value) = DISP_E_PARAMNOTFOUND;
      }
    }
    parameters_.rgvarg = values_.list.data();
    parameters_.cArgs = static_cast<UINT>(values_.list.size());
  }

  DISPPARAMS& get() { return parameters_; }

 private:
  struct Values {
    Values() = default;
    Values(const Values&) = delete;
    Values& operator=(const Values&) = delete;
    ~Values() {
      for (VARIANT& value : list) VariantClear(&value);
    }
    std::vector<VARIANT> list;
  };

  Values values_;
  DISPPARAMS parameters_{};
};

CallOutcome failed(int32_t error) { return {{error}, Variant()}; }

// The platform's dispatch answers too few arguments as it answers too many,
// with DISP_E_BADPARAMCOUNT; for this caller a missing trailing argument is
// an omitted one, and an omitted required argument is 449.
bool lacksRequiredArgument(const ClassDescription& description, DISPID id, size_t argumentCount) {
  const int slot = findMethodByDispatchId(description, id);
  if (slot < 0) return false;
  const auto& parameters = description.methods[static_cast<size_t>(slot)].parameters;
  return argumentCount < parameters.size() && !parameters[argumentCount].optional;
}

class ComCallTarget : public CallTarget {
 public:
  explicit ComCallTarget(Binding binding)
      : binding_(binding),
        initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComCallTarget() override {
    if (initialised_) CoUninitialize();
  }
  ComCallTarget(const ComCallTarget&) = delete;
  ComCallTarget& operator=(const ComCallTarget&) = delete;

  CallOutcome call(const CallRequest& request) override {
    try {
      return callOnce(request);
    } catch (const AutomationError& failure) {
      return failed(failure.number());
    } catch (const std::bad_alloc&) {
      return failed(error::OutOfMemory);
    }
  }

 private:
  CallOutcome callOnce(const CallRequest& request) {
    // Only the two classes of ZarnUtils.dll are created, by their ProgIDs.
    const ClassDescription* description = findClass(request.className);
    if (description == nullptr) return failed(error::ObjectDoesntSupport);
    CLSID classId{};
    ComPtr<IDispatch> object;
    if (FAILED(CLSIDFromProgID(com::wide(description->progId).c_str(), &classId)) ||
        FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)))) {
      return failed(error::CantCreateObject);
    }
    std::unique_ptr<MemberCaller> caller;
    HRESULT status = bindMembers(object, *description, binding_, caller);
    if (FAILED(status)) return failed(errorNumberOf(status));

    DISPID id = 0;
    if (const auto* name = std::get_if<Text>(&request.method)) {
      status = caller->dispatchIdOfName(com::wide(*name).c_str(), id);
      if (FAILED(status)) return failed(errorNumberOf(status));
    } else {
      id = std::get<int32_t>(request.method);
    }
    DispatchArguments arguments(request.arguments);
    OwnedVariant result;
    ExceptionReport exception;
    status = caller->invoke(id, arguments.get(), result.get(), exception.get());
    if (status == DISP_E_EXCEPTION) return failed(exception.errorNumber());
    if (status == DISP_E_BADPARAMCOUNT &&
        lacksRequiredArgument(*description, id, request.arguments.size())) {
      return failed(error::ArgumentNotOptional);
    }
    if (FAILED(status)) return failed(errorNumberOf(status));
    return {{}, variantOf(result.get())};
  }

  Binding binding_;
  bool initialised_;
};

}  // namespace

std::unique_ptr<CallTarget> comCallTarget(Binding binding) {
  return std::make_unique<ComCallTarget>(binding);
}

}  // namespace zarn::cli
