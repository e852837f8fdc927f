#include "platform/native/registry_store/registry_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace zarn {
namespace {

std::filesystem::path environmentPath(const char* name) {
  const char* value = std::getenv(name);
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
  if (const char* chosen = std::getenv("ZARNUTILS_REGISTRY_DIR")) {
    if (*chosen == '\0') {
      throw std::invalid_argument(
          "ZARNUTILS_REGISTRY_DIR is set but empty: name a folder, or unset it for the default "
          "stores");
    }
    return inDirectory(chosen);
  }
  std::filesystem::path data = environmentPath("XDG_DATA_HOME");
  if (data.empty()) data = homeDirectory() / ".local" / "share";
  return {data / "zarnutils", "/var/lib/zarnutils"};
}

RegistryLocation RegistryLocation::inDirectory(const std::filesystem::path& directory) {
  return {directory, directory};
}

}  // namespace zarn
