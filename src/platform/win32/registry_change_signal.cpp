// RegistryChangeSignal over RegNotifyChangeKeyValue: an auto-reset event the
// registry sets at a change, asked for again at every wake-up before the
// caller reads the key, so that a change made while it reads wakes the next
// wait rather than being lost.
#include "platform/registry_change_signal.h"

#include <windows.h>

namespace zarn {
namespace {

constexpr DWORD watchedChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

}  // namespace

struct RegistryChangeSignal::State {
  HANDLE event = nullptr;
  // Asking again fails once the key is deleted: the wake-up that told of it
  // still answers a change, and the next wait the failure.
  RegistryStatus askAgainFailure = registry_status::Success;

  RegistryStatus askForChange(KeyHandle key, bool subtree) const {
    return static_cast<RegistryStatus>(
        RegNotifyChangeKeyValue(reinterpret_cast<HKEY>(key), subtree, watchedChanges, event, TRUE));
  }
};

RegistryChangeSignal::RegistryChangeSignal(KeyHandle key, bool subtree, RegistryStatus& status)
    : key_(key), subtree_(subtree), state_(std::make_unique<State>()) {
  state_->event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  status = state_->event ? state_->askForChange(key_, subtree_)
                         : static_cast<RegistryStatus>(GetLastError());
}

RegistryChangeSignal::~RegistryChangeSignal() {
  if (state_->event) CloseHandle(state_->event);
}

RegistryStatus RegistryChangeSignal::wait(uint32_t timeoutMs) {
  if (!state_->event) return registry_status::InvalidHandle;
  if (state_->askAgainFailure) return state_->askAgainFailure;
  switch (WaitForSingleObject(state_->event, timeoutMs)) {
    case WAIT_OBJECT_0:
      state_->askAgainFailure = state_->askForChange(key_, subtree_);
      return registry_status::Success;
    case WAIT_TIMEOUT: return changeWaitTimedOut;
    default: return static_cast<RegistryStatus>(GetLastError());
  }
}

}  // namespace zarn
