// The store folder chosen in code: kept until the store is first placed,
// then fixed, as the process keeps one store for its whole life.
#include "platform/native/registry_folder.h"

#include <mutex>
#include <stdexcept>
#include <utility>

#include "zarnutils/store_location.h"

namespace zarn {
namespace {

struct Choice {
  std::mutex mutex;
  std::optional<std::filesystem::path> folder;
  bool fixed = false;
};

Choice& choice() {
  static Choice instance;
  return instance;
}

}  // namespace

void setRegistryDirectory(std::string_view folder) {
  if (folder.empty()) {
    throw std::invalid_argument("setRegistryDirectory: name a folder for the registry store");
  }
  // Absolute now, so that a later change of working folder does not move it.
  std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(folder));
  Choice& chosen = choice();
  const std::lock_guard<std::mutex> lock(chosen.mutex);
  if (chosen.fixed) {
    throw std::logic_error(
        "setRegistryDirectory: the registry store is already in use in this process; "
        "choose its folder before the first registry call");
  }
  chosen.folder = std::move(absolute);
}

std::optional<std::filesystem::path> registryDirectoryChosenInCode() {
  Choice& chosen = choice();
  const std::lock_guard<std::mutex> lock(chosen.mutex);
  chosen.fixed = true;
  return chosen.folder;
}

}  // namespace zarn
