// Whole files in and out, named by UTF-8 paths on both targets.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

namespace zarn::cli {

// A path from UTF-8, so that Windows opens it by its wide name.
inline std::filesystem::path pathOf(std::string_view utf8Path) {
  return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
}

inline std::optional<std::string> readFileBytes(std::string_view utf8Path) {
  std::ifstream file(pathOf(utf8Path), std::ios::binary);
  if (!file) return std::nullopt;
  std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return std::nullopt;
  return bytes;
}

inline bool writeFileBytes(std::string_view utf8Path, std::string_view bytes) {
  std::ofstream file(pathOf(utf8Path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return static_cast<bool>(file);
}

inline bool fileExists(std::string_view utf8Path) {
  std::error_code ignored;
  return std::filesystem::exists(pathOf(utf8Path), ignored);
}

}  // namespace zarn::cli
