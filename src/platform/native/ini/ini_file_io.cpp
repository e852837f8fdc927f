#include "platform/native/ini/ini_file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zarn {
namespace {

constexpr int maxLinkHops = 40;
constexpr int maxLockAttempts = 1000;

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now, reporting whether the close succeeded.
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

FileStamp stampOf(const struct stat& status) {
  constexpr int64_t billion = 1'000'000'000;
  return {status.st_dev, status.st_ino, static_cast<uint64_t>(status.st_size),
          status.st_mtim.tv_sec * billion + status.st_mtim.tv_nsec,
          status.st_ctim.tv_sec * billion + status.st_ctim.tv_nsec};
}

// Everything from the start of the file; nullopt on an error or when the file
// has grown beyond the limit.
std::optional<std::string> readAll(int fd, size_t expectedSize) {
  std::string bytes;
  bytes.reserve(expectedSize);
  char chunk[65536];
  for (;;) {
    const ssize_t count = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(bytes.size()));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) return bytes;
    bytes.append(chunk, static_cast<size_t>(count));
    if (bytes.size() > maxIniFileSize) return std::nullopt;
  }
}

bool writeAll(int fd, const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

std::string folderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path finally names, following symbolic links; the path itself
// when it names no link (or nothing yet). nullopt for a loop of links.
std::optional<std::string> linkTarget(std::string path) {
  for (int hop = 0; hop < maxLinkHops; ++hop) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
    std::string target(static_cast<size_t>(status.st_size) + 1, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<size_t>(length) >= target.size()) return std::nullopt;
    target.resize(static_cast<size_t>(length));
    path = target.starts_with('/') ? target : folderOf(path) + "/" + target;
  }
  return std::nullopt;
}

// Opens target for locking, creating it when it is missing; created tells
// whether this call made it.
int openForLock(const std::string& target, bool& created) {
  const int flags = O_RDWR | O_CLOEXEC | O_NONBLOCK;
  int fd = ::open(target.c_str(), flags);
  created = false;
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(target.c_str(), flags | O_CREAT | O_EXCL, 0666);
    created = fd >= 0;
  }
  return fd;
}

bool lockExclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Puts bytes in place of target, whose state `original` the new file takes
// over (permissions, owner where allowed).
bool replaceWith(const std::string& target, const struct stat& original, const std::string& bytes) {
  const std::string folder = folderOf(target);
  std::string temporary = folder + "/." + target.substr(target.rfind('/') + 1) + ".XXXXXX";
  UniqueFd file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!file) return false;
  const bool ownerKept = (original.st_uid == ::geteuid() && original.st_gid == ::getegid()) ||
                         ::fchown(file.get(), original.st_uid, original.st_gid) == 0 ||
                         errno == EPERM;
  const bool complete = ownerKept && ::fchmod(file.get(), original.st_mode & 07777) == 0 &&
                        writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 && file.close() &&
                        ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!complete) {
    ::unlink(temporary.c_str());
    return false;
  }
  // Makes the rename itself durable; the new content is already on disk.
  UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory) ::fsync(directory.get());
  return true;
}

enum class Outcome { Written, Unchanged, Failed };

Outcome editLocked(const std::string& target, int lockedFd, const struct stat& locked,
                   const std::function<std::optional<std::string>(std::string)>& edit) {
  const bool writable = (locked.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (!S_ISREG(locked.st_mode) || !writable) return Outcome::Failed;
  if (static_cast<uint64_t>(locked.st_size) > maxIniFileSize) return Outcome::Failed;
  std::optional<std::string> current = readAll(lockedFd, static_cast<size_t>(locked.st_size));
  if (!current) return Outcome::Failed;
  const std::optional<std::string> next = edit(std::move(*current));
  if (!next) return Outcome::Unchanged;
  return replaceWith(target, locked, *next) ? Outcome::Written : Outcome::Failed;
}

}  // namespace

std::optional<FileStamp> stampIniFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return stampOf(status);
}

std::optional<FileContent> readIniFile(const std::string& path) {
  // Non-blocking, so that a named pipe cannot hold the caller up.
  UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status {};
  if (!file || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  if (static_cast<uint64_t>(status.st_size) > maxIniFileSize) return std::nullopt;
  std::optional<std::string> bytes = readAll(file.get(), static_cast<size_t>(status.st_size));
  if (!bytes) return std::nullopt;
  return FileContent{stampOf(status), std::move(*bytes)};
}

bool replaceIniFile(const std::string& path,
                    const std::function<std::optional<std::string>(std::string bytes)>& edit) {
  const std::optional<std::string> target = linkTarget(path);
  if (!target) return false;
  for (int attempt = 0; attempt < maxLockAttempts; ++attempt) {
    bool created = false;
    UniqueFd locked(openForLock(*target, created));
    if (!locked && errno == EEXIST) continue;
    if (!locked || !lockExclusive(locked.get())) return false;
    struct stat lockedStatus {};
    struct stat currentStatus {};
    if (::fstat(locked.get(), &lockedStatus) != 0) return false;
    const bool stillThere = ::stat(target->c_str(), &currentStatus) == 0 &&
                            currentStatus.st_dev == lockedStatus.st_dev &&
                            currentStatus.st_ino == lockedStatus.st_ino;
    if (!stillThere) continue;
    const Outcome outcome = editLocked(*target, locked.get(), lockedStatus, edit);
    // A file made only to be locked goes again unless the edit wrote it.
    if (created && outcome != Outcome::Written) ::unlink(target->c_str());
    return outcome != Outcome::Failed;
  }
  return false;
}

}  // namespace zarn
