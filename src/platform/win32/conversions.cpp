// The automation conversions on Windows are the platform's own: every value
// goes through VariantChangeTypeEx with the English-US locale, so the
// component converts exactly as any automation client on the machine does.
#include "platform/conversions.h"

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "platform/win32/automation_variant.h"
#include "zarnutils/automation_error.h"

namespace zarn {
namespace {

[[noreturn]] void throwFor(HRESULT result) {
  switch (result) {
    case DISP_E_TYPEMISMATCH: throw AutomationError(error::TypeMismatch);
    case DISP_E_OVERFLOW: throw AutomationError(error::Overflow);
    case E_OUTOFMEMORY: throw AutomationError(error::OutOfMemory);
    default: throw AutomationError(error::InvalidProcedureCall);
  }
}

// Converts `value` to `type`; the result stays owned by `result`.
HRESULT change(const Variant& value, VARTYPE type, USHORT flags, OwnedVariant& result) {
  OwnedVariant source;
  fillVariant(source.get(), value);
  return VariantChangeTypeEx(&result.get(), &source.get(), englishUs, flags, type);
}

void changeOrThrow(const Variant& value, VARTYPE type, USHORT flags, OwnedVariant& result) {
  const HRESULT status = change(value, type, flags, result);
  if (FAILED(status)) throwFor(status);
}

}  // namespace

Text toText(const Variant& value, BooleanText booleanText) {
  const USHORT flags = booleanText == BooleanText::Words ? VARIANT_ALPHABOOL : 0;
  OwnedVariant result;
  changeOrThrow(value, VT_BSTR, flags, result);
  return textOf(V_BSTR(&result.get()));
}

int32_t toLong(const Variant& value) {
  OwnedVariant result;
  changeOrThrow(value, VT_I4, 0, result);
  return V_I4(&result.get());
}

int16_t toBoolean(const Variant& value) {
  OwnedVariant result;
  changeOrThrow(value, VT_BOOL, 0, result);
  return V_BOOL(&result.get());
}

bool isNumeric(const Variant& value) {
  switch (value.kind()) {
    case VariantKind::Null:
    case VariantKind::Array: return false;
    case VariantKind::String: {
      OwnedVariant result;
      return SUCCEEDED(change(value, VT_R8, 0, result));
    }
    default: return true;
  }
}

}  // namespace zarn
