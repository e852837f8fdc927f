// The frame every registry worker of Regedit runs in, so that each worker
// states only the steps of its own algorithm.
//
// A worker's status starts at 99 ("no key was opened") and takes over the
// status of each step. The frame leaves by one of two exits:
//   - normal exit, when the open step and the work on the key both report 0:
//     the key is closed and the close's status is reported;
//   - failure exit, for the first step that reports non-zero, for a root
//     handle of 0 (nothing is opened, the status stays 99), and for any error
//     raised inside the worker: the status is reported as it stands, then the
//     key handle is closed (0 when nothing was opened) and the result and any
//     error of that close are ignored.
// Either way no key stays open and nothing is raised to the caller.
#pragma once

#include <exception>

#include "automation/text.h"
#include "platform/narrow_text.h"
#include "platform/registry_service.h"

namespace zarn {

constexpr RegistryStatus statusNothingOpened = 99;
// A value that its type letter's conversion rejects is not stored; reported
// as the platform's "invalid data".
constexpr RegistryStatus statusRejectedValue = 13;

inline void closeIgnoringOutcome(KeyHandle key) noexcept {
  try {
    RegistryService::RegCloseKey(key);
  } catch (const std::exception&) {
    // The failure exit reports the status it already has.
  }
}

// Runs openStep(KeyHandle& key) and then work(KeyHandle key), each returning
// a status, inside the frame. Returns false when a raised error ended the
// worker, true on either exit otherwise.
template <class OpenStep, class Work>
bool withKey(RootKeyValue rootKey, RegistryStatus& status, OpenStep openStep, Work work) {
  status = statusNothingOpened;
  KeyHandle key = 0;
  try {
    if (rootKey != 0) {
      status = openStep(key);
      if (status == 0) status = work(key);
      if (status == 0) {
        status = RegistryService::RegCloseKey(key);
        return true;
      }
    }
    closeIgnoringOutcome(key);
    return true;
  } catch (const std::exception&) {
    closeIgnoringOutcome(key);
    return false;
  }
}

// The frame around RegOpenKeyExA(rootKeyHandle(rootKey), keyPath, 0, access).
template <class Work>
bool withOpenKey(RootKeyValue rootKey, const Text& keyPath, uint32_t access, RegistryStatus& status,
                 Work work) {
  return withKey(
      rootKey, status,
      [&](KeyHandle& key) {
        return RegistryService::RegOpenKeyExA(rootKeyHandle(rootKey), toNarrow(keyPath).c_str(), 0,
                                              access, &key);
      },
      work);
}

}  // namespace zarn
