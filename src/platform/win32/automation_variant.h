// The platform's automation values and strings, converted to and from the
// component's Variant and Text. Used by the platform's conversions and by
// the COM shell and client at their boundary.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <string_view>

#include "automation/text.h"
#include "zarnutils/variant.h"

namespace zarn {

// The locale of every automation conversion, so that numbers and Booleans
// read and print alike whatever the machine's regional settings.
constexpr LCID englishUs = 0x0409;

// A VARIANT that starts empty and is cleared, with what it owns, when it goes.
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

// A missing automation string is empty text.
Text textOf(BSTR text);

// A new automation string; throws std::bad_alloc when memory is exhausted.
BSTR allocateText(std::u16string_view text);

// How an object that is a script's own array (JScript's: a length and items
// named 0, 1, ...) is taken: as the platform converts any object, by its
// default value (for a JScript array its items joined with commas), or as
// an Array of its items.
enum class ArrayObjects { AsObjects, AsArrays };

// A by-reference variant is read through its reference, and a
// one-dimensional array item by item. Kinds the component has no form for
// become the nearest it has (other integers Long when they fit, else
// Double; Currency and Decimal Double; anything else text), and throw
// AutomationError 13 when the platform cannot convert them.
Variant variantOf(const VARIANT& value, ArrayObjects arrayObjects = ArrayObjects::AsObjects);

// Fills an initialised, empty VARIANT; throws std::bad_alloc.
void fillVariant(VARIANT& target, const Variant& value);

}  // namespace zarn
