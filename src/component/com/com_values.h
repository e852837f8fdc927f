// Automation variants at the COM boundary: the caller's VARIANT becomes the
// component's Variant on the way in, and results go back as VARIANTs.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "platform/variant.h"

namespace zarn::com {

// A VARIANT that starts empty and is cleared when it goes.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  ~OwnedVariant() { VariantClear(&value_); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;

  VARIANT& get() { return value_; }

 private:
  VARIANT value_;
};

// A by-reference variant is read through its reference. Kinds the component
// has no form for become the nearest it has (other integers Long when they
// fit, else Double; Currency and Decimal Double; anything else text), and
// throw AutomationError 13 when the platform cannot convert them.
Variant variantOf(const VARIANT& value);

// Fills an initialised, empty VARIANT; throws std::bad_alloc.
void fillVariant(VARIANT& target, const Variant& value);

}  // namespace zarn::com
