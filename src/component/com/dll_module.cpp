// The DLL's entry points, and the module state that only they and the
// objects' lifetimes touch.
#include "component/com/dll_module.h"

#include <atomic>

#include "component/com/com_classes.h"
#include "component/com/registration.h"

namespace zarn::com {
namespace {

HMODULE ownModule = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(ownModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void objectCreated() { ++liveObjects; }
void objectDestroyed() { --liveObjects; }
void lockServer(bool lock) { lock ? ++serverLocks : --serverLocks; }

}  // namespace zarn::com

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    zarn::com::ownModule = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}

HRESULT WINAPI DllGetClassObject(REFCLSID classId, REFIID interfaceId, void** result) {
  return zarn::com::getClassObject(classId, interfaceId, result);
}

HRESULT WINAPI DllCanUnloadNow() {
  return zarn::com::liveObjects > 0 || zarn::com::serverLocks > 0 ? S_FALSE : S_OK;
}

HRESULT WINAPI DllRegisterServer() {
  return zarn::com::registerServer(zarn::com::RegistrationScope::Machine);
}

HRESULT WINAPI DllUnregisterServer() {
  return zarn::com::unregisterServer(zarn::com::RegistrationScope::Machine);
}

// regsvr32 /n /i:user (with /u: removal) registers for the current user.
HRESULT WINAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  return zarn::com::install(install != FALSE, commandLine);
}

}  // extern "C"
