// Where the native registry store keeps its two files, as the names and
// variables of zarnutils/store_location.h choose them.
#pragma once

#include <filesystem>

namespace zarn {

struct RegistryLocation {
  std::filesystem::path userDirectory;     // holds the HKEY_CURRENT_USER store
  std::filesystem::path machineDirectory;  // holds the store of the other roots

  // ZARNUTILS_REGISTRY_DIR, when set, holds both files. Otherwise the user
  // store lives in $XDG_DATA_HOME/zarnutils (else ~/.local/share/zarnutils)
  // and the machine store in /var/lib/zarnutils. ZARNUTILS_REGISTRY_DIR set
  // to the empty text is most likely a mistake (a variable expanded from
  // nothing), and using the real stores instead could destroy them: it
  // throws std::invalid_argument naming the variable.
  static RegistryLocation fromEnvironment();

  // Both stores in one folder.
  static RegistryLocation inDirectory(const std::filesystem::path& directory);

  std::filesystem::path userFile() const;     // user.sqlite3 in userDirectory
  std::filesystem::path machineFile() const;  // machine.sqlite3 in machineDirectory
};

}  // namespace zarn
