// Where the native registry store keeps its files, and how a program chooses
// the place: in code with setRegistryDirectory, else through the
// environment variables below, which the store itself reads.
//
// HKEY_CURRENT_USER lives in user.sqlite3 under $XDG_DATA_HOME/zarnutils
// (~/.local/share/zarnutils when XDG_DATA_HOME is unset or empty). The other
// roots (HKLM, HKCR, HKU, HKCC) live in machine.sqlite3 under
// /var/lib/zarnutils. When ZARNUTILS_REGISTRY_DIR is set, both files live
// there instead. Set but empty, it is an error: every registry call then
// fails with status 10 ("the environment is incorrect"), so that a typo never
// quietly sends a test to the real stores.
//
// Reading a store whose file does not exist creates nothing; the first write
// creates the folder and the file (the user store with mode 0600, the
// machine store with 0644).
#pragma once

#include <string>
#include <string_view>

namespace zarn {

#ifndef _WIN32
// Keeps both store files in `folder` (UTF-8; a relative name is made
// absolute now) for the rest of the process, in place of
// ZARNUTILS_REGISTRY_DIR and the default folders, which stay the default
// when it is never called. The process places its store once, at its first
// registry call: call this before that. It throws std::logic_error when the
// store is already placed (nothing changes), and std::invalid_argument for
// an empty name. Windows has no such store: there the registry is the
// platform's, so this exists natively only.
//
//   zarn::setRegistryDirectory("/tmp/app-test-registry");
//   zarn::Regedit().WriteValue("HKCU\\Software\\App\\Port", "D", 8080);
void setRegistryDirectory(std::string_view folder);
#endif

// The store file that holds a key's root, the key given by its path
// (HKEY_CURRENT_USER\Software, or HKCU\Software): the file a status 1016
// ("the registry store could not be read or written") concerns, for
// messages to name. Empty for a name that is no root of the store, and on
// Windows, whose registry is the platform's.
//
//   zarn::registryStoreFile("HKCU\\Software\\App");  // ".../zarnutils/user.sqlite3"
std::string registryStoreFile(std::string_view key);

// Holds both store files when set; set but empty fails every registry call.
inline constexpr std::string_view registryDirVariable = "ZARNUTILS_REGISTRY_DIR";

// The base folder of the user store, as the XDG base directory rules name it.
inline constexpr std::string_view userDataHomeVariable = "XDG_DATA_HOME";

// The folder below the user data home that holds the user store.
inline constexpr std::string_view userStoreFolderName = "zarnutils";
inline constexpr std::string_view userStoreFileName = "user.sqlite3";

// The machine store: shared by every user, writable only by its owner.
inline constexpr std::string_view machineStoreFolder = "/var/lib/zarnutils";
inline constexpr std::string_view machineStoreFileName = "machine.sqlite3";

}  // namespace zarn
