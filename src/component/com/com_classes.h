// The DLL's COM classes: one class object for each described class, which
// makes a new ComObject of its class on every creation request. Class
// objects are static; only server locks keep the DLL loaded.
#pragma once

#include <windows.h>

namespace zarn::com {

// What DllGetClassObject hands out; CLASS_E_CLASSNOTAVAILABLE for a class
// this library does not provide.
HRESULT getClassObject(REFCLSID classId, REFIID interfaceId, void** result);

}  // namespace zarn::com
