// Whole files in and out, named by UTF-8 paths on both targets.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
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

// The C library's open, by the wide name on Windows; errno says why not.
inline std::FILE* openFile(std::string_view utf8Path, const char* mode) {
#ifdef _WIN32
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(pathOf(utf8Path).c_str(), wideMode.c_str());
#else
  return std::fopen(std::string(utf8Path).c_str(), mode);
#endif
}

// Why the file cannot be read, in the system's words ("No such file or
// directory"); nothing when it can.
inline std::optional<std::string> unreadableReason(std::string_view utf8Path) {
  std::error_code ignored;
  if (std::filesystem::is_directory(pathOf(utf8Path), ignored)) return std::strerror(EISDIR);
  std::FILE* file = openFile(utf8Path, "rb");
  if (!file) return std::string(std::strerror(errno));
  std::fclose(file);
  return std::nullopt;
}

// Why the file cannot be written, in the system's words; nothing when it can
// or when the reason cannot be told. Leaves the file as it found it: a file
// made only to find out is removed again.
inline std::optional<std::string> unwritableReason(std::string_view utf8Path) {
  const std::filesystem::path path = pathOf(utf8Path);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) return std::strerror(EISDIR);
  const std::filesystem::path folder = path.parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, ignored)) return std::strerror(ENOENT);
  if (!folder.empty() && !std::filesystem::is_directory(folder, ignored))
    return std::strerror(ENOTDIR);
  const bool existed = std::filesystem::exists(path, ignored);
  std::FILE* file = openFile(utf8Path, existed ? "r+b" : "ab");
  if (!file) return std::string(std::strerror(errno));
  std::fclose(file);
  if (!existed) std::filesystem::remove(path, ignored);
  return std::nullopt;
}

}  // namespace zarn::cli
