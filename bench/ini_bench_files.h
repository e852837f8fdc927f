// The INI files the INI benchmarks and their floor work on, made on first
// use in $ZARNUTILS_BENCH_DIR/ini (default /dev/shm/zarnutils-bench/ini) and
// reused after, so that every program of a run measures the same bytes.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace zarn::bench {

inline std::filesystem::path iniBenchDirectory() {
  static const std::filesystem::path directory = [] {
    const char* configured = std::getenv("ZARNUTILS_BENCH_DIR");
    std::filesystem::path folder = configured ? configured : "/dev/shm/zarnutils-bench";
    folder /= "ini";
    std::filesystem::create_directories(folder);
    return folder;
  }();
  return directory;
}

// One section holding every entry: "[Main]", then "keyI=value I".
inline std::filesystem::path flatIniFile(int64_t entries) {
  const auto path = iniBenchDirectory() / ("flat" + std::to_string(entries) + ".ini");
  if (!std::filesystem::exists(path)) {
    std::ofstream file(path);
    file << "; " << entries << " entries in one section\n[Main]\n";
    for (int64_t i = 0; i < entries; ++i) file << "key" << i << "=value " << i << "\n";
  }
  return path;
}

// One entry in each of as many sections: "[SectionI]", then "key=I".
inline std::filesystem::path sectionsIniFile(int64_t entries) {
  const auto path = iniBenchDirectory() / ("sections" + std::to_string(entries) + ".ini");
  if (!std::filesystem::exists(path)) {
    std::ofstream file(path);
    for (int64_t i = 0; i < entries; ++i) file << "[Section" << i << "]\nkey=" << i << "\n";
  }
  return path;
}

}  // namespace zarn::bench
