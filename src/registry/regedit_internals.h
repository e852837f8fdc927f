// Regedit's internals: how a registry path becomes a root, a key path and a
// last segment; the private procedures; and the frame every registry worker
// runs in.
//
// Paths. A path is split at every backslash, with no escaping, trimming or
// case change; segment 0 names the root. The listing form (EnumKeys,
// EnumValues) joins segments 1..N into the key path; the item form (the other
// four registry methods) joins 1..N-1 and keeps segment N as the value or
// subkey name, so "HKCU" alone names a value or subkey called HKCU under the
// root.
//
// The worker frame, so that each worker states only the steps of its own
// algorithm. A worker's status starts at 99 ("no key was opened") and takes
// over the status of each step. The frame leaves by one of two exits:
//   - normal exit, when the open step and the work on the key both report 0:
//     the key is closed and the close's status is reported;
//   - failure exit, for the first step that reports non-zero, for a root
//     handle of 0 (nothing is opened, the status stays 99), and for any error
//     raised inside the worker: the status is reported as it stands, then the
//     key handle is closed (0 when nothing was opened) and the result and any
//     error of that close are ignored.
// Either way no key stays open, and nothing is raised to the caller but
// std::bad_alloc, which the calling model turns into error 7.
#pragma once

#include <exception>
#include <functional>
#include <new>
#include <string_view>

#include "automation/text.h"
#include "platform/narrow_text.h"
#include "platform/registry_service.h"
#include "zarnutils/regedit.h"

namespace zarn {

struct KeyPath {
  RootKeyValue rootKey = 0;  // 0: the root segment names no root
  Text keyPath;
  Text lastSegment;  // item form only

  bool operator==(const KeyPath&) const = default;
};

// The root key handle for a root segment, by whole-text case-insensitive
// comparison with the twelve accepted names; 0 for anything else.
RootKeyValue rootKeyForName(std::u16string_view segment);

using RootResolver = std::function<RootKeyValue(const Text& rootSegment)>;

enum class EmptySegments { Keep, Skip };

// Both throw AutomationError 9 for an empty path, before anything else.
KeyPath resolveListingForm(const Text& path, EmptySegments emptySegments,
                           const RootResolver& resolveRoot);
KeyPath resolveItemForm(const Text& path, const RootResolver& resolveRoot);

// Regedit's private procedures: the root resolution, the six workers, and
// the path resolution its registry methods share. Workers report only
// through their out parameters and never throw.
struct Regedit::Procedures {
  static RootKeyValue ResolveRootKey(const Text& rootSegment);
  static void DeleteSubKey(RootKeyValue rootKey, const Text& keyPath, const Text& subKeyName,
                           RegistryStatus& status);
  static void DeleteNamedValue(RootKeyValue rootKey, const Text& keyPath, const Text& valueName,
                               RegistryStatus& status);
  static void ListSubKeys(RootKeyValue rootKey, const Text& keyPath, const Text& delimiter,
                          Text& list, RegistryStatus& status);
  static void ListValues(RootKeyValue rootKey, const Text& keyPath, Text& list,
                         RegistryStatus& status);
  static void QueryTypedValue(RootKeyValue rootKey, const Text& keyPath, const Text& valueName,
                              const Text& typeLetter, const Variant& defaultValue, Variant& result,
                              RegistryStatus& status);
  static void StoreTypedValue(RootKeyValue rootKey, const Text& keyPath, const Text& valueName,
                              const Text& typeLetter, const Variant& value, RegistryStatus& status);

  // Path resolution with ResolveRootKey for the root segment.
  static KeyPath resolveItem(const Text& sKey);
  static KeyPath resolveListing(const Text& sKey, EmptySegments emptySegments);

  // Calls worker(RegistryStatus&) and returns the status it reports, unless
  // path's key path or last segment would reach the registry changed (a NUL,
  // or text the narrow code page cannot hold): then 87, and no registry
  // call. Every form of every registry method reaches its worker this way.
  template <class Worker>
  static RegistryStatus throughGuard(const KeyPath& path, Worker&& worker);

  // The listings of EnumKeys and EnumValues and of their list forms:
  // resolution, guard and worker; the worker's status is returned.
  static RegistryStatus listSubKeys(const Text& sKey, const Text& delimiter, Text& list);
  static RegistryStatus listValues(const Text& sKey, Text& list);
};

// The worker frame.
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
  } catch (const std::bad_alloc&) {
    // Out of memory fails the method (error 7) rather than passing for a
    // status; the key is closed all the same.
    closeIgnoringOutcome(key);
    throw;
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
