// The DLL's own type library, loaded from its resources on first use and
// kept for the life of the process: late binding needs it on every call.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include "component/dispatch_description.h"

namespace zarn::com {

struct InterfaceTypeInfo {
  ITypeInfo* dispatchSide = nullptr;  // what GetTypeInfo hands out
  ITypeInfo* vtableSide = nullptr;    // what drives name lookup and Invoke
};

// Borrowed pointers, valid until the process ends.
HRESULT interfaceTypeInfo(const InterfaceDescription& description, InterfaceTypeInfo& info);

}  // namespace zarn::com
