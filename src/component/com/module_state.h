// What the DLL as a whole keeps: its module handle, and the count of live
// objects and server locks that decides whether it may be unloaded.
#pragma once

#include <windows.h>

#include <string>

namespace zarn::com {

void setModuleHandle(HMODULE module);
// The DLL's own full path, for registration and for loading its type library.
std::wstring modulePath();

void objectCreated();
void objectDestroyed();
void lockServer(bool lock);
bool moduleInUse();

}  // namespace zarn::com
