// A private folder for one fuzzer's files, removed when the fuzzer exits. In
// memory (/dev/shm) where there is one: every write is flushed to disk, which
// on a real disk would leave the fuzzer a few inputs a second.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace zarn::fuzz {

inline const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    const std::filesystem::path memory = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(memory) ? memory : std::filesystem::temp_directory_path();
    std::string pattern = (base / "zarn-fuzz-XXXXXX").string();
    std::filesystem::path made = ::mkdtemp(pattern.data());
    std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
    return made;
  }();
  return folder;
}

}  // namespace zarn::fuzz
