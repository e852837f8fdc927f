// What DllRegisterServer writes and DllUnregisterServer removes: the type
// library (with the interfaces it describes), and for each class its class
// identifier key (in-process server, apartment threading, ProgID, type
// library), its ProgID key and any further interface identifier it answers to.
#pragma once

#include <windows.h>

namespace zarn::com {

HRESULT registerServer();
HRESULT unregisterServer();

}  // namespace zarn::com
