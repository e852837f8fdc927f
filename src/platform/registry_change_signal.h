// The platform's word that a key may have changed, for watching it: on
// Windows RegNotifyChangeKeyValue (subkeys created or deleted, values set
// or deleted, in the key or with subtree in every key below it); natively a
// file notification on the store's files, which every committed change
// writes, so that a change anywhere in the store wakes a watcher (one of
// this process or another alike) and nothing is read while nothing changes.
// Either way a wake-up says only that something may have changed: the
// watcher reads the key to learn what.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/registry_service.h"

namespace zarn {

class RegistryChangeSignal {
 public:
  // Begins watching the key, which stays open while the signal lives;
  // status is 0 or the platform's reason.
  RegistryChangeSignal(KeyHandle key, bool subtree, RegistryStatus& status);
  ~RegistryChangeSignal();
  RegistryChangeSignal(const RegistryChangeSignal&) = delete;
  RegistryChangeSignal& operator=(const RegistryChangeSignal&) = delete;

  // Waits at most timeoutMs milliseconds: 0 after a change since watching
  // began or since the last wait that answered 0 (and watching goes on),
  // 258 (the platform's "wait timed out") when none came; else the status
  // of the failure.
  RegistryStatus wait(uint32_t timeoutMs);

 private:
  struct State;  // the platform's own: an event, or file watches
  KeyHandle key_;
  bool subtree_;
  std::unique_ptr<State> state_;
};

// What wait answers when the time passed without a change.
constexpr RegistryStatus changeWaitTimedOut = 258;

}  // namespace zarn
