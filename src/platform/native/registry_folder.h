// The store folder a program chose in code (setRegistryDirectory of
// zarnutils/store_location.h), which the store's location consults before
// the environment.
#pragma once

#include <filesystem>
#include <optional>

namespace zarn {

// The folder chosen in code, if any. Asking fixes the choice: the store is
// being placed, and a later setRegistryDirectory throws std::logic_error
// rather than leave the process's store where it is without a word.
std::optional<std::filesystem::path> registryDirectoryChosenInCode();

}  // namespace zarn
