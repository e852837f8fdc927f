// Paths of the INI test files as the profile service of this target takes
// them: Unix paths natively, the same paths through Wine's Z: drive on win32.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "support/platform_marks.h"

namespace zarn {

// Whether the profile service under test is the platform's, run by Wine.
constexpr bool testingWine = test_support::runsOnWine;

inline std::string servicePath(std::string_view unixPath) {
#ifdef _WIN32
  std::string path = "Z:" + std::string(unixPath);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
#else
  return std::string(unixPath);
#endif
}

// A sample file under tests/platform/profile_files.
inline std::string sampleIni(std::string_view name) {
  return servicePath(std::string(ZARN_INI_FILES) + "/" + std::string(name));
}

// A fresh, empty folder in the build tree for one test.
inline std::string scratchFolder(std::string_view testName) {
  const std::string folder =
      servicePath(std::string(ZARN_INI_SCRATCH) + "/" + std::string(testName));
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// The Unix path of a path that servicePath made, for the test's own file
// access around the service.
inline std::string unixPathOf(const std::string& servicePath) {
  if (!testingWine) return servicePath;
  std::string path = servicePath.substr(2);
  for (char& c : path) c = c == '\\' ? '/' : c;
  return path;
}

inline std::string joinPath(const std::string& folder, std::string_view name) {
#ifdef _WIN32
  return folder + "\\" + std::string(name);
#else
  return folder + "/" + std::string(name);
#endif
}

}  // namespace zarn
