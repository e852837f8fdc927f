// Status codes and exits shared by Regedit's registry workers.
//
// Every worker starts at status 99 ("no key was opened"), takes over the
// status of each registry call, and leaves by one of two exits: the normal
// exit reports the close's status; the failure exit reports the status as it
// stands and closes whatever handle it has (0 when none), ignoring the
// outcome of that close.
#pragma once

#include "platform/registry_service.h"

namespace zarn {

constexpr RegistryStatus statusNothingOpened = 99;
// A value that its type letter's conversion rejects is not stored; reported
// as the platform's "invalid data".
constexpr RegistryStatus statusRejectedValue = 13;

inline void normalExit(KeyHandle key, RegistryStatus& status) {
  status = RegistryService::RegCloseKey(key);
}

inline void failureExit(KeyHandle key) { RegistryService::RegCloseKey(key); }

}  // namespace zarn
