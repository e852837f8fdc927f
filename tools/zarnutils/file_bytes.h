// Whole files in and out, named by UTF-8 paths on both targets.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarn::cli {

// A path from UTF-8, so that Windows opens it by its wide name.
inline std::filesystem::path pathOf(std::string_view utf8Path) {
  return std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
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

// What a path names when it is no regular file, in words for a message.
inline std::string kindOfFile(std::filesystem::file_type type) {
  switch (type) {
    case std::filesystem::file_type::directory: return std::strerror(EISDIR);
    case std::filesystem::file_type::fifo: return "a named pipe, not a regular file";
    case std::filesystem::file_type::character: return "a character device, not a regular file";
    case std::filesystem::file_type::block: return "a block device, not a regular file";
    case std::filesystem::file_type::socket: return "a socket, not a regular file";
    default: return "not a regular file";
  }
}

// Opens a regular file for binary reading; anything else (a named pipe, a
// device, a directory) is refused without being waited on, since a pipe
// without a writer would hold the open for ever and a device such as
// /dev/zero would never end. Nothing, with why not in reason, when refused.
inline std::FILE* openRegularFile(std::string_view utf8Path, std::string& reason) {
#ifdef _WIN32
  std::error_code ignored;
  const std::filesystem::file_type type = std::filesystem::status(pathOf(utf8Path), ignored).type();
  if (type != std::filesystem::file_type::regular &&
      type != std::filesystem::file_type::not_found) {
    reason = kindOfFile(type);
    return nullptr;
  }
  std::FILE* file = openFile(utf8Path, "rb");
  if (!file) reason = std::strerror(errno);
  return file;
#else
  // Non-blocking, so that opening a named pipe returns at once; the type is
  // then read from what was opened, not from the name, which may change.
  const int fd = ::open(std::string(utf8Path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0) {
    reason = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return nullptr;
  }
  if (!S_ISREG(status.st_mode)) {
    using std::filesystem::file_type;
    const mode_t mode = status.st_mode;
    reason = kindOfFile(S_ISDIR(mode)    ? file_type::directory
                        : S_ISFIFO(mode) ? file_type::fifo
                        : S_ISCHR(mode)  ? file_type::character
                        : S_ISBLK(mode)  ? file_type::block
                        : S_ISSOCK(mode) ? file_type::socket
                                         : file_type::unknown);
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    reason = std::strerror(errno);
    ::close(fd);
  }
  return file;
#endif
}

// Why the file cannot be read, in the system's words ("No such file or
// directory", "Is a directory") or as no regular file; nothing when it can.
inline std::optional<std::string> unreadableReason(std::string_view utf8Path) {
  std::string reason;
  std::FILE* file = openRegularFile(utf8Path, reason);
  if (!file) return reason;
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
