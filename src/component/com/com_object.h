// The COM object template: an object around one Regedit or IniEdit, with a
// dual interface whose vtable is IUnknown, IDispatch and then one entry per
// described method in interface order, plus ISupportErrorInfo.
//
// Each method entry converts the caller's BSTRs and VARIANTs to the class's
// own types, holds a reference on the object for the call, and turns a
// failed CallStatus into 0x800A0000 + error with an error object. Late
// binding is the platform's own, driven by the type library.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <oleauto.h>

#include <array>
#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/com/com_arguments.h"
#include "component/com/dll_module.h"
#include "component/com/platform_forms.h"
#include "component/description_builder.h"
#include "zarnutils/automation_error.h"

namespace zarn::com {

// What every object needs of the DLL's own type library: the interface's
// type information, loaded from the DLL's resources on first use and kept
// for the life of the process, since late binding needs it on every call.
struct InterfaceTypeInfo {
  ITypeInfo* dispatchSide = nullptr;  // what GetTypeInfo hands out
  ITypeInfo* vtableSide = nullptr;    // what drives name lookup and Invoke
};

// Borrowed pointers, valid until the process ends.
HRESULT interfaceTypeInfo(const ClassDescription& description, InterfaceTypeInfo& info);

// A failed method as its caller sees it: the status 0x800A0000 + error
// number and an error object with the standard description, the class's
// ProgID as source and its interface as the error's interface.
HRESULT reportFailure(const ClassDescription& description, int32_t errorNumber);

template <class Object>
class ComObject {
 public:
  static HRESULT create(REFIID interfaceId, void** result) {
    auto* object = new (std::nothrow) ComObject;
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT status = object->queryInterface(interfaceId, result);
    object->release();
    return status;
  }

 private:
  template <auto Method, class Signature = std::remove_cv_t<decltype(Method)>>
  struct VtableMethod;

  template <auto Method, class... Parameters>
  struct VtableMethod<Method, CallStatus (Object::*)(Parameters...)> {
    static HRESULT __stdcall call(ComObject* self,
                                  typename ComArgument<Parameters>::Type... arguments) {
      if (!(ComArgument<Parameters>::prepare(arguments) && ...)) return E_POINTER;
      self->addReference();
      const HRESULT status = run(*self, arguments...);
      self->release();
      return status;
    }

    static HRESULT run(ComObject& self, typename ComArgument<Parameters>::Type... arguments) {
      try {
        std::tuple<ComArgument<Parameters>...> converted{ComArgument<Parameters>(arguments)...};
        const CallStatus status = std::apply(
            [&self](auto&... argument) { return (self.object_.*Method)(argument.take()...); },
            converted);
        std::get<sizeof...(Parameters) - 1>(converted).deliver();
        return status.succeeded() ? S_OK : reportFailure(description(), status.error);
      } catch (const AutomationError& failure) {
        return reportFailure(description(), failure.number());
      } catch (const std::bad_alloc&) {
        return reportFailure(description(), error::OutOfMemory);
      }
    }
  };

  // The error-info interface lives beside the dual one and shares its count.
  class ErrorInfoSupport : public ISupportErrorInfo {
   public:
    explicit ErrorInfoSupport(ComObject& owner) : owner_(owner) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** result) override {
      return owner_.queryInterface(id, result);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.addReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.release(); }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID id) override {
      return owner_.isOwnInterface(id) ? S_OK : S_FALSE;
    }

   private:
    ComObject& owner_;
  };

  ComObject()
      : vtable_(vtable(std::make_index_sequence<Derived<Object>::count>{})), errorInfo_(*this) {
    objectCreated();
  }
  ~ComObject() { objectDestroyed(); }

  static const ClassDescription& description() { return descriptionOf<Object>(); }

  template <class Function>
  static const void* entry(Function function) {
    return reinterpret_cast<const void*>(function);
  }

  // IDispatch's seven operations, then the described methods in interface order.
  template <size_t... Place>
  static const void* const* vtable(std::index_sequence<Place...>) {
    static const std::array<const void*, 7 + sizeof...(Place)> table{
        entry(&QueryInterface),
        entry(&AddRef),
        entry(&Release),
        entry(&GetTypeInfoCount),
        entry(&GetTypeInfo),
        entry(&GetIDsOfNames),
        entry(&Invoke),
        entry(&VtableMethod<Derived<Object>::template member<Place>>::call)...};
    return table.data();
  }

  IDispatch* asDispatch() { return reinterpret_cast<IDispatch*>(this); }

  bool isOwnInterface(REFIID id) const {
    for (const identity::Guid* own : description().answeredInterfaceIds) {
      if (IsEqualIID(id, toGuid(*own))) return true;
    }
    return false;
  }

  HRESULT queryInterface(REFIID id, void** result) {
    if (result == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || isOwnInterface(id)) {
      *result = this;
    } else if (IsEqualIID(id, IID_ISupportErrorInfo)) {
      *result = static_cast<ISupportErrorInfo*>(&errorInfo_);
    } else {
      *result = nullptr;
      return E_NOINTERFACE;
    }
    addReference();
    return S_OK;
  }

  ULONG addReference() { return ++references_; }

  ULONG release() {
    const ULONG remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
  }

  static HRESULT typeInfo(InterfaceTypeInfo& info) {
    return interfaceTypeInfo(description(), info);
  }

  static HRESULT __stdcall QueryInterface(ComObject* self, REFIID id, void** result) {
    return self->queryInterface(id, result);
  }
  static ULONG __stdcall AddRef(ComObject* self) { return self->addReference(); }
  static ULONG __stdcall Release(ComObject* self) { return self->release(); }

  static HRESULT __stdcall GetTypeInfoCount(ComObject*, UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  static HRESULT __stdcall GetTypeInfo(ComObject*, UINT index, LCID, ITypeInfo** result) {
    if (result == nullptr) return E_POINTER;
    *result = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    InterfaceTypeInfo info;
    const HRESULT status = typeInfo(info);
    if (FAILED(status)) return status;
    info.dispatchSide->AddRef();
    *result = info.dispatchSide;
    return S_OK;
  }

  static HRESULT __stdcall GetIDsOfNames(ComObject*, REFIID scope, LPOLESTR* names, UINT count,
                                         LCID, DISPID* ids) {
    if (!IsEqualIID(scope, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    InterfaceTypeInfo info;
    const HRESULT status = typeInfo(info);
    if (FAILED(status)) return status;
    return DispGetIDsOfNames(info.vtableSide, names, count, ids);
  }

  static HRESULT __stdcall Invoke(ComObject* self, DISPID id, REFIID scope, LCID, WORD flags,
                                  DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argumentError) {
    if (!IsEqualIID(scope, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    InterfaceTypeInfo info;
    const HRESULT status = typeInfo(info);
    if (FAILED(status)) return status;
    return DispInvoke(self->asDispatch(), info.vtableSide, id, flags, parameters, result, exception,
                      argumentError);
  }

  // The dual interface's vtable pointer must come first.
  const void* const* vtable_;
  ErrorInfoSupport errorInfo_;
  std::atomic<ULONG> references_{1};
  Object object_;
};

}  // namespace zarn::com
