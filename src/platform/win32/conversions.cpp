// The automation conversions on Windows are the platform's own: every value
// goes through VariantChangeTypeEx with the English-US locale, so the
// component converts exactly as any automation client on the machine does.
#include "platform/conversions.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "platform/automation_error.h"

namespace zarn {
namespace {

constexpr LCID englishUs = 0x0409;

// A VARIANT that is cleared, with whatever it owns, when it goes out of scope.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&value_); }
  ~ScopedVariant() { VariantClear(&value_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;

  VARIANT* get() { return &value_; }

 private:
  VARIANT value_;
};

[[noreturn]] void throwFor(HRESULT result) {
  switch (result) {
    case DISP_E_TYPEMISMATCH:
      throw AutomationError(error::TypeMismatch);
    case DISP_E_OVERFLOW:
      throw AutomationError(error::Overflow);
    case E_OUTOFMEMORY:
      throw AutomationError(error::OutOfMemory);
    default:
      throw AutomationError(error::InvalidProcedureCall);
  }
}

BSTR allocateText(const Text& text) {
  BSTR copy = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                                static_cast<UINT>(text.size()));
  if (copy == nullptr) throw AutomationError(error::OutOfMemory);
  return copy;
}

// Fills an initialised VARIANT with the platform's form of `value`.
void fill(VARIANT* target, const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Empty:
      V_VT(target) = VT_EMPTY;
      break;
    case VariantKind::Null:
      V_VT(target) = VT_NULL;
      break;
    case VariantKind::Boolean:
      V_VT(target) = VT_BOOL;
      V_BOOL(target) = value.booleanBits();
      break;
    case VariantKind::Byte:
      V_VT(target) = VT_UI1;
      V_UI1(target) = value.byteValue();
      break;
    case VariantKind::Integer:
      V_VT(target) = VT_I2;
      V_I2(target) = value.integerValue();
      break;
    case VariantKind::Long:
      V_VT(target) = VT_I4;
      V_I4(target) = value.longValue();
      break;
    case VariantKind::Single:
      V_VT(target) = VT_R4;
      V_R4(target) = value.singleValue();
      break;
    case VariantKind::Double:
      V_VT(target) = VT_R8;
      V_R8(target) = value.realValue();
      break;
    case VariantKind::String:
      V_BSTR(target) = allocateText(value.textValue());
      V_VT(target) = VT_BSTR;
      break;
  }
}

// Converts `value` to `type`; the result stays owned by `result`.
HRESULT change(const Variant& value, VARTYPE type, USHORT flags, ScopedVariant& result) {
  ScopedVariant source;
  fill(source.get(), value);
  return VariantChangeTypeEx(result.get(), source.get(), englishUs, flags, type);
}

void changeOrThrow(const Variant& value, VARTYPE type, USHORT flags, ScopedVariant& result) {
  const HRESULT status = change(value, type, flags, result);
  if (FAILED(status)) throwFor(status);
}

}  // namespace

Text toText(const Variant& value, BooleanText booleanText) {
  const USHORT flags = booleanText == BooleanText::Words ? VARIANT_ALPHABOOL : 0;
  ScopedVariant result;
  changeOrThrow(value, VT_BSTR, flags, result);
  const BSTR text = V_BSTR(result.get());
  return Text(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

int32_t toLong(const Variant& value) {
  ScopedVariant result;
  changeOrThrow(value, VT_I4, 0, result);
  return V_I4(result.get());
}

int16_t toBoolean(const Variant& value) {
  ScopedVariant result;
  changeOrThrow(value, VT_BOOL, 0, result);
  return V_BOOL(result.get());
}

bool isNumeric(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Null:
      return false;
    case VariantKind::String: {
      ScopedVariant result;
      return SUCCEEDED(change(value, VT_R8, 0, result));
    }
    default:
      return true;
  }
}

}  // namespace zarn
