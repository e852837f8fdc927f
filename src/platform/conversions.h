// The standard automation conversions the component applies to variants.
//
// On Windows these are the platform's own (VariantChangeTypeEx with the
// English-US locale); the native target reproduces their answers. Each
// conversion that the platform refuses throws AutomationError: 13 "Type
// mismatch" for Null and non-numeric text, 6 "Overflow" for a value outside
// the target range.
#pragma once

#include <cstdint>

#include "automation/text.h"
#include "zarnutils/variant.h"

namespace zarn {

// How a Boolean becomes text. The component's own conversions (a vValue
// written as text) give "True"/"False" as Visual Basic does; the dispatch,
// converting an argument for a text parameter, gives "-1"/"0".
enum class BooleanText { Words, Numbers };

Text toText(const Variant& value, BooleanText booleanText = BooleanText::Words);

// To a 32-bit signed integer; floating point rounds half to even.
int32_t toLong(const Variant& value);

// To a 16-bit automation boolean: -1 for true, 0 for false.
int16_t toBoolean(const Variant& value);

// Visual Basic's IsNumeric: Empty and every number are numeric, Null is not,
// and text is numeric exactly when it converts to a Double.
bool isNumeric(const Variant& value);

}  // namespace zarn
