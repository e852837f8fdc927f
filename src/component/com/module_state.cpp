#include "component/com/module_state.h"

#include <atomic>

namespace zarn::com {
namespace {

HMODULE ownModule = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> serverLocks{0};

}  // namespace

void setModuleHandle(HMODULE module) { ownModule = module; }

std::wstring modulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ownModule, path.data(), static_cast<DWORD>(path.size()));
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
bool moduleInUse() { return liveObjects > 0 || serverLocks > 0; }

}  // namespace zarn::com
