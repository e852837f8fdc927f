// One parameter of a class method at the vtable boundary: which COM type it
// arrives as, and how it becomes the method's argument (inputs) or goes back
// to the caller (the final result parameter). Texts and variants are copied,
// so the caller's values are never touched.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <utility>

#include "automation/text.h"
#include "platform/win32/automation_variant.h"
#include "zarnutils/call_status.h"
#include "zarnutils/variant.h"

namespace zarn::com {

template <class Parameter>
struct ComArgument;

template <>
struct ComArgument<Text> {
  using Type = BSTR;
  static bool prepare(BSTR) { return true; }
  explicit ComArgument(BSTR text) : value(textOf(text)) {}
  Text take() { return std::move(value); }
  Text value;
};

template <>
struct ComArgument<Variant> {
  using Type = VARIANT;
  static bool prepare(const VARIANT&) { return true; }
  explicit ComArgument(const VARIANT& variant) : value(variantOf(variant)) {}
  Variant take() { return std::move(value); }
  Variant value;
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
  explicit ComArgument(BSTR* target) : resultSlot(target) {}
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
  explicit ComArgument(VARIANT_BOOL* target) : resultSlot(target) {}
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
  explicit ComArgument(VARIANT* target) : resultSlot(target) {}
  Variant& take() { return value; }
  void deliver() { fillVariant(*resultSlot, value); }
  Variant value;
  VARIANT* resultSlot;
};

}  // namespace zarn::com
