#include "platform/win32/automation_variant.h"

#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

bool isOtherInteger(VARTYPE type) {
  switch (type) {
    case VT_I1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT: return true;
    default: return false;
  }
}

Variant fromPlainVariant(VARIANT& value, ArrayObjects arrayObjects);

void throwIfFailed(HRESULT status) {
  if (status == E_OUTOFMEMORY) throw std::bad_alloc();
  if (FAILED(status)) throw AutomationError(error::TypeMismatch);
}

// A one-dimensional array of any element type, as scripts make them (a
// VBScript Array(), PowerShell's [byte[]] or [string[]]), item by item.
Variant fromArray(SAFEARRAY* array, ArrayObjects arrayObjects) {
  if (array == nullptr) return Variant::array({});
  if (SafeArrayGetDim(array) != 1) throw AutomationError(error::TypeMismatch);
  VARTYPE itemType = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  throwIfFailed(SafeArrayGetVartype(array, &itemType));
  throwIfFailed(SafeArrayGetLBound(array, 1, &lower));
  throwIfFailed(SafeArrayGetUBound(array, 1, &upper));
  std::vector<Variant> items;
  items.reserve(static_cast<size_t>(upper - lower + 1));
  for (LONG index = lower; index <= upper; ++index) {
    OwnedVariant item;
    if (itemType == VT_VARIANT) {
      throwIfFailed(SafeArrayGetElement(array, &index, &item.get()));
    } else {
      // The element is copied into the variant's value, where every kind
      // keeps its data.
      throwIfFailed(SafeArrayGetElement(array, &index, &V_UI1(&item.get())));
      V_VT(&item.get()) = itemType;
    }
    items.push_back(variantOf(item.get(), arrayObjects));
  }
  return Variant::array(std::move(items));
}

// A property of a script object, read as a script reads it; false when the
// object has no such property.
bool readProperty(IDispatch& object, const wchar_t* name, VARIANT& result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(object.GetIDsOfNames(IID_NULL, names, 1, englishUs, &id))) return false;
  DISPPARAMS none{};
  return SUCCEEDED(object.Invoke(id, IID_NULL, englishUs, DISPATCH_PROPERTYGET, &none, &result,
                                 nullptr, nullptr));
}

// A JScript array's items, or nothing for an object without a length.
std::optional<Variant> fromArrayObject(IDispatch* object) {
  OwnedVariant length;
  if (object == nullptr || !readProperty(*object, L"length", length.get())) return std::nullopt;
  OwnedVariant count;
  if (FAILED(VariantChangeTypeEx(&count.get(), &length.get(), englishUs, 0, VT_I4)) ||
      V_I4(&count.get()) < 0) {
    return std::nullopt;
  }
  std::vector<Variant> items;
  items.reserve(static_cast<size_t>(V_I4(&count.get())));
  for (LONG index = 0; index < V_I4(&count.get()); ++index) {
    OwnedVariant item;
    // A hole in the array reads as Empty.
    readProperty(*object, std::to_wstring(index).c_str(), item.get());
    items.push_back(variantOf(item.get(), ArrayObjects::AsArrays));
  }
  return Variant::array(std::move(items));
}

Variant fromPlainVariant(VARIANT& value, ArrayObjects arrayObjects) {
  if (V_VT(&value) & VT_ARRAY) return fromArray(V_ARRAY(&value), arrayObjects);
  if (V_VT(&value) == VT_DISPATCH && arrayObjects == ArrayObjects::AsArrays) {
    if (std::optional<Variant> items = fromArrayObject(V_DISPATCH(&value))) return *items;
  }
  switch (V_VT(&value)) {
    case VT_EMPTY: return Variant();
    case VT_NULL: return Variant::null();
    case VT_I2: return Variant::integer(V_I2(&value));
    case VT_I4: return Variant::long32(V_I4(&value));
    case VT_R4: return Variant::single(V_R4(&value));
    case VT_R8: return Variant::real(V_R8(&value));
    case VT_BSTR: return Variant::text(textOf(V_BSTR(&value)));
    case VT_BOOL: return Variant::booleanBits(V_BOOL(&value));
    case VT_UI1: return Variant::byte(V_UI1(&value));
    default: break;
  }
  OwnedVariant converted;
  HRESULT status = E_FAIL;
  if (isOtherInteger(V_VT(&value))) {
    status = VariantChangeTypeEx(&converted.get(), &value, englishUs, 0, VT_I4);
  }
  if (FAILED(status) &&
      (isOtherInteger(V_VT(&value)) || V_VT(&value) == VT_CY || V_VT(&value) == VT_DECIMAL)) {
    status = VariantChangeTypeEx(&converted.get(), &value, englishUs, 0, VT_R8);
  }
  if (FAILED(status)) status = VariantChangeTypeEx(&converted.get(), &value, englishUs, 0, VT_BSTR);
  throwIfFailed(status);
  return fromPlainVariant(converted.get(), arrayObjects);
}

}  // namespace

Text textOf(BSTR text) {
  if (text == nullptr) return {};
  return Text(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

BSTR allocateText(std::u16string_view text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (copy == nullptr) throw std::bad_alloc();
  return copy;
}

Variant variantOf(const VARIANT& value, ArrayObjects arrayObjects) {
  OwnedVariant plain;
  throwIfFailed(VariantCopyInd(&plain.get(), const_cast<VARIANT*>(&value)));
  return fromPlainVariant(plain.get(), arrayObjects);
}

void fillVariant(VARIANT& target, const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Empty: V_VT(&target) = VT_EMPTY; break;
    case VariantKind::Null: V_VT(&target) = VT_NULL; break;
    case VariantKind::Boolean:
      V_VT(&target) = VT_BOOL;
      V_BOOL(&target) = value.booleanBits();
      break;
    case VariantKind::Byte:
      V_VT(&target) = VT_UI1;
      V_UI1(&target) = value.byteValue();
      break;
    case VariantKind::Integer:
      V_VT(&target) = VT_I2;
      V_I2(&target) = value.integerValue();
      break;
    case VariantKind::Long:
      V_VT(&target) = VT_I4;
      V_I4(&target) = value.longValue();
      break;
    case VariantKind::Single:
      V_VT(&target) = VT_R4;
      V_R4(&target) = value.singleValue();
      break;
    case VariantKind::Double:
      V_VT(&target) = VT_R8;
      V_R8(&target) = value.realValue();
      break;
    case VariantKind::String:
      V_BSTR(&target) = allocateText(value.textValue());
      V_VT(&target) = VT_BSTR;
      break;
    case VariantKind::Array: {
      // An array of variants counted from 0: what VBScript indexes and
      // walks with For Each, and JScript's VBArray reads.
      const std::vector<Variant>& items = value.arrayValue();
      SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
      if (array == nullptr) throw std::bad_alloc();
      VARIANT* slots = nullptr;
      SafeArrayAccessData(array, reinterpret_cast<void**>(&slots));
      try {
        for (size_t i = 0; i < items.size(); ++i) fillVariant(slots[i], items[i]);
      } catch (...) {
        SafeArrayUnaccessData(array);
        SafeArrayDestroy(array);
        throw;
      }
      SafeArrayUnaccessData(array);
      V_ARRAY(&target) = array;
      V_VT(&target) = VT_ARRAY | VT_VARIANT;
      break;
    }
  }
}

}  // namespace zarn
