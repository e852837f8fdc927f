#include "platform/native/registry_store/registry_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "zarnutils/store_location.h"

namespace zarn {
namespace {

std::filesystem::path environmentPath(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  return value && *value ? std::filesystem::path(value) : std::filesystem::path();
}

std::filesystem::path homeDirectory() {
  std::filesystem::path home = environmentPath("HOME");
  if (home.empty()) {
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) home = entry->pw_dir;
  }
  return home;
}

}  // namespace

RegistryLocation RegistryLocation::fromEnvironment() {
  if (const char* chosen = std::getenv(std::string(registryDirVariable).c_str())) {
    if (*chosen == '\0') {
      throw std::invalid_argument(std::string(registryDirVariable) +
                                  " is set but empty: name a folder, or unset it for the default "
                                  "stores");
    }
    return inDirectory(chosen);
  }
  std::filesystem::path data = environmentPath(userDataHomeVariable);
  if (data.empty()) data = homeDirectory() / ".local" / "share";
  return {data / userStoreFolderName, machineStoreFolder};
}

RegistryLocation RegistryLocation::inDirectory(const std::filesystem::path& directory) {
  return {directory, directory};
}

std::filesystem::path RegistryLocation::userFile() const {
  return userDirectory / userStoreFileName;
}

std::filesystem::path RegistryLocation::machineFile() const {
  return machineDirectory / machineStoreFileName;
}

}  // namespace zarn
