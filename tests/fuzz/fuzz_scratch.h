// A private folder for one fuzzer's files, removed when the fuzzer is done. In
// memory (/dev/shm) where there is one: every write is flushed to disk, which
// on a real disk would leave the fuzzer a few inputs a second.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace zarn::fuzz {

inline const std::filesystem::path& scratchFolder() {
  // Never destroyed, so that the exit handler below still finds it: a
  // static object would be destroyed before a handler registered while it
  // was being made.
  static const std::filesystem::path* const folder = [] {
    // The test that runs a fuzzer gives it a folder and removes it after,
    // also when the fuzzer ends at a fault without running exit handlers.
    if (const char* given = std::getenv("ZARN_FUZZ_SCRATCH"); given && *given) {
      return new std::filesystem::path(given);
    }
    const std::filesystem::path memory = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(memory) ? memory : std::filesystem::temp_directory_path();
    std::string pattern = (base / "zarn-fuzz-XXXXXX").string();
    auto* made = new std::filesystem::path(::mkdtemp(pattern.data()));
    std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
    return made;
  }();
  return *folder;
}

}  // namespace zarn::fuzz
