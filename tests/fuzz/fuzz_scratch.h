// A private folder for one fuzzer's files, removed when the fuzzer exits.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace zarn::fuzz {

inline const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarn-fuzz-XXXXXX").string();
    std::filesystem::path made = ::mkdtemp(pattern.data());
    std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
    return made;
  }();
  return folder;
}

}  // namespace zarn::fuzz
