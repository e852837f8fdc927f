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
#include <concepts>
#include <new>
#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "automation/text.h"
#include "component/com/platform_forms.h"
#include "component/description_builder.h"
#include "platform/win32/automation_variant.h"
#include "zarnutils/automation_error.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn::com {

// One parameter of a class method at the vtable boundary: which COM type it
// arrives as, and how it becomes the method's argument (inputs) or goes back
// to the caller (the final result parameter). Texts and variants are copied,
// so the caller's values are never touched; a variant that is a script's
// array object is read as its class's description says.
template <class Parameter>
struct ComArgument;

template <>
struct ComArgument<Text> {
  using Type = BSTR;
  static bool prepare(BSTR) { return true; }
  ComArgument(BSTR text, ArrayObjects) : value(textOf(text)) {}
  Text take() { return std::move(value); }
  Text value;
};

template <>
struct ComArgument<Variant> {
  using Type = VARIANT;
  static bool prepare(const VARIANT&) { return true; }
  ComArgument(const VARIANT& variant, ArrayObjects arrayObjects)
      : value(variantOf(variant, arrayObjects)) {}
  Variant take() { return std::move(value); }
  Variant value;
};

// An optional variant the caller left out arrives as the platform's "not
// found" error value.
template <>
struct ComArgument<std::optional<Variant>> {
  using Type = VARIANT;
  static bool prepare(const VARIANT&) { return true; }
  ComArgument(const VARIANT& variant, ArrayObjects arrayObjects) {
    const bool omitted = V_VT(&variant) == VT_ERROR && V_ERROR(&variant) == DISP_E_PARAMNOTFOUND;
    if (!omitted) value = variantOf(variant, arrayObjects);
  }
  std::optional<Variant> take() { return std::move(value); }
  std::optional<Variant> value;
};

// Result parameters: prepare() checks the caller's pointer and gives the
// result its initial value before anything can fail.
template <>
struct ComArgument<Text&> {
  using Type = BSTR*;
  static bool prepare(BSTR* target) {
    if (target == nullptr) return false;
    *target = nullptr;
    return true;
  }
  ComArgument(BSTR* target, ArrayObjects) : resultSlot(target) {}
  Text& take() { return value; }
  void deliver() { *resultSlot = allocateText(value); }
  Text value;
  BSTR* resultSlot;
};

template <>
struct ComArgument<AutomationBoolean&> {
  using Type = VARIANT_BOOL*;
  static bool prepare(VARIANT_BOOL* target) {
    if (target == nullptr) return false;
    *target = VARIANT_FALSE;
    return true;
  }
  ComArgument(VARIANT_BOOL* target, ArrayObjects) : resultSlot(target) {}
  AutomationBoolean& take() { return value; }
  void deliver() { *resultSlot = value; }
  AutomationBoolean value = automationFalse;
  VARIANT_BOOL* resultSlot;
};

template <>
struct ComArgument<Variant&> {
  using Type = VARIANT*;
  static bool prepare(VARIANT* target) {
    if (target == nullptr) return false;
    VariantInit(target);
    return true;
  }
  ComArgument(VARIANT* target, ArrayObjects) : resultSlot(target) {}
  Variant& take() { return value; }
  void deliver() { fillVariant(*resultSlot, value); }
  Variant value;
  VARIANT* resultSlot;
};

// The module's side of every object (dll_module.cpp): the count of live
// objects that decides whether the DLL may be unloaded...
void objectCreated();
void objectDestroyed();

// ...and what every object needs of the DLL's own type library: the interface's
// type information, loaded from the DLL's resources on first use and kept
// for the life of the process, since late binding needs it on every call.
struct InterfaceTypeInfo {
  ITypeInfo* dispatchSide = nullptr;  // what GetTypeInfo hands out
  ITypeInfo* vtableSide = nullptr;    // what drives name lookup and Invoke
};

// Borrowed pointers, valid until the process ends.
HRESULT interfaceTypeInfo(const ClassDescription& description, InterfaceTypeInfo& info);

// A failed method as its caller sees it: the status 0x800A0000 + error
// number and an error object with the given description (by default the
// number's standard one), the class's ProgID as source and its interface
// as the error's interface.
HRESULT reportFailure(const ClassDescription& description, int32_t errorNumber,
                      std::u16string_view errorText = {});

// A class that knows more of its last failure than its number says so.
template <class Object>
concept DescribesFailures = requires(const Object& object) {
  { object.failureDescription() } -> std::convertible_to<std::u16string_view>;
};

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
  // What callers hold as the dual interface: its vtable pointer first, as the
  // platform's calling convention reads it. Standard layout guarantees that
  // the face and its first member share one address.
  struct DualInterface {
    const void* const* vtable;
    ComObject* owner;
  };
  static_assert(std::is_standard_layout_v<DualInterface>);

  template <auto Method, class Signature = std::remove_cv_t<decltype(Method)>>
  struct VtableMethod;

  template <auto Method, class... Parameters>
  struct VtableMethod<Method, CallStatus (Object::*)(Parameters...)> {
    static HRESULT __stdcall call(DualInterface* face,
                                  typename ComArgument<Parameters>::Type... arguments) {
      if (!(ComArgument<Parameters>::prepare(arguments) && ...)) return E_POINTER;
      ComObject& self = *face->owner;
      self.addReference();
      const HRESULT status = run(self, arguments...);
      self.release();
      return status;
    }

    static HRESULT run(ComObject& self, typename ComArgument<Parameters>::Type... arguments) {
      try {
        std::tuple<ComArgument<Parameters>...> converted{
            ComArgument<Parameters>(arguments, arrayObjects)...};
        const CallStatus status = std::apply(
            [&self](auto&... argument) { return (self.object_.*Method)(argument.take()...); },
            converted);
        if constexpr (description_detail::Signature<decltype(Method)>::hasResult) {
          std::get<sizeof...(Parameters) - 1>(converted).deliver();
        }
        if (status.succeeded()) return S_OK;
        if constexpr (DescribesFailures<Object>) {
          return reportFailure(description(), status.error, self.object_.failureDescription());
        }
        return reportFailure(description(), status.error);
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
      : dual_{vtable(std::make_index_sequence<Derived<Object>::count>{}), this}, errorInfo_(*this) {
    objectCreated();
  }
  ~ComObject() { objectDestroyed(); }

  static const ClassDescription& description() { return descriptionOf<Object>(); }

  static constexpr ArrayObjects arrayObjects = [] {
    if constexpr (requires { Described<Object>::readsArrayObjects; }) {
      return Described<Object>::readsArrayObjects ? ArrayObjects::AsArrays
                                                  : ArrayObjects::AsObjects;
    } else {
      return ArrayObjects::AsObjects;
    }
  }();

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

  IDispatch* asDispatch() { return reinterpret_cast<IDispatch*>(&dual_); }

  bool isOwnInterface(REFIID id) const {
    for (const identity::Guid* own : description().answeredInterfaceIds) {
      if (IsEqualIID(id, toGuid(*own))) return true;
    }
    return false;
  }

  HRESULT queryInterface(REFIID id, void** result) {
    if (result == nullptr) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDispatch) || isOwnInterface(id)) {
      *result = asDispatch();
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

  static HRESULT __stdcall QueryInterface(DualInterface* face, REFIID id, void** result) {
    return face->owner->queryInterface(id, result);
  }
  static ULONG __stdcall AddRef(DualInterface* face) { return face->owner->addReference(); }
  static ULONG __stdcall Release(DualInterface* face) { return face->owner->release(); }

  static HRESULT __stdcall GetTypeInfoCount(DualInterface*, UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  static HRESULT __stdcall GetTypeInfo(DualInterface*, UINT index, LCID, ITypeInfo** result) {
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

  static HRESULT __stdcall GetIDsOfNames(DualInterface*, REFIID scope, LPOLESTR* names, UINT count,
                                         LCID, DISPID* ids) {
    if (!IsEqualIID(scope, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    InterfaceTypeInfo info;
    const HRESULT status = typeInfo(info);
    if (FAILED(status)) return status;
    return DispGetIDsOfNames(info.vtableSide, names, count, ids);
  }

  static HRESULT __stdcall Invoke(DualInterface* face, DISPID id, REFIID scope, LCID, WORD flags,
                                  DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argumentError) {
    if (!IsEqualIID(scope, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    InterfaceTypeInfo info;
    const HRESULT status = typeInfo(info);
    if (FAILED(status)) return status;
    return DispInvoke(face->owner->asDispatch(), info.vtableSide, id, flags, parameters, result,
                      exception, argumentError);
  }

  DualInterface dual_;
  ErrorInfoSupport errorInfo_;
  std::atomic<ULONG> references_{1};
  Object object_;
};

}  // namespace zarn::com
