// The DLL as a module: besides its six entry points (dll_module.cpp), what
// it keeps as a whole: its module handle, and the count of live objects and
// server locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace zarn::com {

// The DLL's own full path, for registration and for loading its type library.
std::wstring modulePath();

void objectCreated();
void objectDestroyed();
void lockServer(bool lock);

}  // namespace zarn::com
