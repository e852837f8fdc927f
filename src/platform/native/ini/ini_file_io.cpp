#include "platform/native/ini/ini_file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <random>
#include <string_view>
#include <utility>

namespace zarn {
namespace {

// A file descriptor owned by one scope.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  // Closes now, reporting whether the close succeeded.
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }

  int fd_ = -1;
};

// Where a write to an INI path lands, found without letting anyone steer it.
//
// Writes go through symbolic links, as users rely on, but the engine follows
// them itself, one link at a time, so it applies the kernel's own rule for
// shared folders (fs.protected_symlinks) whatever the kernel is set to: a
// link in a sticky, world-writable folder such as /tmp is followed only when
// it belongs to the writer or to the folder's owner. Every step works on an
// open folder, so no link swapped in between a check and its use is
// followed; the last step is opened with O_NOFOLLOW by the caller.

struct WritePlace {
  UniqueFd folder;   // the folder that holds the file
  std::string name;  // the file's name in it, which is not a link (or missing)
};

constexpr int maxLinkHops = 40;

// {folder, name}: "a/b.ini" is {"a", "b.ini"}, "b.ini" is {".", "b.ini"}.
std::pair<std::string, std::string> splitPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

bool namesAFile(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

UniqueFd openFolder(int base, const std::string& folder) {
  return UniqueFd(::openat(base, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

// The kernel's rule for following a link in a shared folder.
bool mayFollow(int folder, const struct stat& link) {
  struct stat status {};
  if (::fstat(folder, &status) != 0) return false;
  const bool shared = (status.st_mode & S_ISVTX) != 0 && (status.st_mode & S_IWOTH) != 0;
  return !shared || link.st_uid == ::geteuid() || link.st_uid == status.st_uid;
}

std::optional<std::string> linkText(int folder, const std::string& name, const struct stat& link) {
  std::string target(static_cast<size_t>(link.st_size) + 1, '\0');
  const ssize_t length = ::readlinkat(folder, name.c_str(), target.data(), target.size());
  // A link that changed length since it was looked at has been swapped.
  if (length <= 0 || static_cast<size_t>(length) >= target.size()) return std::nullopt;
  target.resize(static_cast<size_t>(length));
  return target;
}

// nullopt when the path names no file (it ends in a slash, ".", ".."), when
// a folder cannot be opened, when a link may not be followed, or after 40
// links.
std::optional<WritePlace> findWritePlace(const std::string& path) {
  auto [folderPath, name] = splitPath(path);
  if (!namesAFile(name)) return std::nullopt;
  UniqueFd folder = openFolder(AT_FDCWD, folderPath);
  for (int hop = 0; folder && hop <= maxLinkHops; ++hop) {
    struct stat entry {};
    if (::fstatat(folder.get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno != ENOENT) return std::nullopt;
      return WritePlace{std::move(folder), std::move(name)};
    }
    if (!S_ISLNK(entry.st_mode)) return WritePlace{std::move(folder), std::move(name)};
    if (!mayFollow(folder.get(), entry)) return std::nullopt;
    const std::optional<std::string> target = linkText(folder.get(), name, entry);
    if (!target) return std::nullopt;
    auto [targetFolder, targetName] = splitPath(*target);
    if (!namesAFile(targetName)) return std::nullopt;
    // Relative to the link's own folder; an absolute target ignores it.
    folder = openFolder(folder.get(), targetFolder);
    name = std::move(targetName);
  }
  return std::nullopt;
}

constexpr int maxLockAttempts = 1000;
constexpr int maxNameAttempts = 100;
// Temporary files are ".NAME.zarn-XXXXXX" beside the file they replace.
constexpr std::string_view temporaryMark = ".zarn-";
constexpr size_t temporaryTagLength = 6;

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
    const ssize_t count =
        ::pwrite(fd, bytes.data() + written, bytes.size() - written, static_cast<off_t>(written));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    written += static_cast<size_t>(count);
  }
  return true;
}

std::string temporaryPrefix(const std::string& name) {
  return "." + name + std::string(temporaryMark);
}

bool isTemporaryOf(std::string_view entry, const std::string& prefix) {
  return entry.size() == prefix.size() + temporaryTagLength && entry.starts_with(prefix);
}

// Only the writer that holds the lock on the file that is currently in place
// makes temporary files for it, so the ones it finds are those of writers
// that were killed before they renamed theirs.
void removeLeftovers(int folder, const std::string& name) {
  const int listed = ::dup(folder);
  DIR* entries = listed < 0 ? nullptr : ::fdopendir(listed);
  if (entries == nullptr) {
    if (listed >= 0) ::close(listed);
    return;
  }
  const std::string prefix = temporaryPrefix(name);
  while (const dirent* entry = ::readdir(entries)) {
    if (isTemporaryOf(entry->d_name, prefix)) ::unlinkat(folder, entry->d_name, 0);
  }
  ::closedir(entries);
}

// A new name for a temporary file; the file's creation with O_EXCL decides
// whether it is free.
std::string temporaryName(const std::string& name) {
  static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::minstd_rand random(std::random_device{}());
  std::string tag(temporaryTagLength, 'a');
  for (char& letter : tag) letter = letters[random() % (sizeof letters - 1)];
  return temporaryPrefix(name) + tag;
}

// A file for the new content: unnamed where the file system allows, so that
// a writer killed while writing it leaves nothing behind; otherwise under a
// temporary name (named is then set).
UniqueFd newContentFile(int folder, const std::string& name, std::string& named) {
  UniqueFd file(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (file || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) return file;
  for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
    named = temporaryName(name);
    file = UniqueFd(
        ::openat(folder, named.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file || errno != EEXIST) return file;
  }
  return file;
}

// Gives the new file the owner and group of the one it replaces; false when
// this process may not.
bool takeOverOwner(int file, const struct stat& original) {
  struct stat made {};
  if (::fstat(file, &made) != 0) return false;
  if (made.st_uid == original.st_uid && made.st_gid == original.st_gid) return true;
  return ::fchown(file, original.st_uid, original.st_gid) == 0;
}

// Names the complete file in the folder, where the rename can take it.
bool linkIntoFolder(int file, int folder, const std::string& name, std::string& named) {
  const std::string self = "/proc/self/fd/" + std::to_string(file);
  for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
    named = temporaryName(name);
    if (::linkat(AT_FDCWD, self.c_str(), folder, named.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return true;
    }
    if (errno != EEXIST) break;
  }
  named.clear();
  return false;
}

enum class Outcome { Written, Unchanged, Failed, NotReplaceable };

// Puts bytes in place of name in folder by a new file renamed over it, which
// takes over the permission bits, owner and group of `original`.
// NotReplaceable when the new file could not get the same owner and group.
Outcome replaceWith(int folder, const std::string& name, const struct stat& original,
                    const std::string& bytes) {
  std::string named;
  UniqueFd file = newContentFile(folder, name, named);
  if (!file) return Outcome::Failed;
  const auto discard = [&](Outcome outcome) {
    if (!named.empty()) ::unlinkat(folder, named.c_str(), 0);
    return outcome;
  };
  if (!takeOverOwner(file.get(), original)) return discard(Outcome::NotReplaceable);
  // After the owner, whose change clears the set-id bits.
  const bool complete = ::fchmod(file.get(), original.st_mode & 07777) == 0 &&
                        writeAll(file.get(), bytes) && ::fsync(file.get()) == 0 &&
                        (!named.empty() || linkIntoFolder(file.get(), folder, name, named)) &&
                        file.close() &&
                        ::renameat(folder, named.c_str(), folder, name.c_str()) == 0;
  if (!complete) return discard(Outcome::Failed);
  // Makes the rename itself durable; the new content is already on disk.
  ::fsync(folder);
  return Outcome::Written;
}

// The platform's own way: the same file rewritten, flushed before the call
// returns. Not atomic: a writer killed during it leaves the file torn.
Outcome rewriteInPlace(int lockedFd, const std::string& bytes) {
  const bool complete = writeAll(lockedFd, bytes) &&
                        ::ftruncate(lockedFd, static_cast<off_t>(bytes.size())) == 0 &&
                        ::fsync(lockedFd) == 0;
  return complete ? Outcome::Written : Outcome::Failed;
}

Outcome editLocked(const WritePlace& place, int lockedFd, const struct stat& locked,
                   const std::function<std::optional<std::string>(std::string)>& edit) {
  const bool writable = (locked.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  if (!S_ISREG(locked.st_mode) || !writable) return Outcome::Failed;
  if (static_cast<uint64_t>(locked.st_size) > maxIniFileSize) return Outcome::Failed;
  std::optional<std::string> current = readAll(lockedFd, static_cast<size_t>(locked.st_size));
  if (!current) return Outcome::Failed;
  const std::optional<std::string> next = edit(std::move(*current));
  if (!next) return Outcome::Unchanged;
  removeLeftovers(place.folder.get(), place.name);
  const Outcome replaced = replaceWith(place.folder.get(), place.name, locked, *next);
  return replaced == Outcome::NotReplaceable ? rewriteInPlace(lockedFd, *next) : replaced;
}

// Opens the file for locking, creating it when it is missing; created tells
// whether this call made it. Never follows a link: one that appeared since
// the place was found fails with ELOOP (or EEXIST when creating).
UniqueFd openForLock(const WritePlace& place, bool& created) {
  const int flags = O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  UniqueFd fd(::openat(place.folder.get(), place.name.c_str(), flags));
  created = false;
  if (!fd && errno == ENOENT) {
    fd = UniqueFd(::openat(place.folder.get(), place.name.c_str(), flags | O_CREAT | O_EXCL, 0666));
    created = bool(fd);
  }
  return fd;
}

bool lockExclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
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
  for (int attempt = 0; attempt < maxLockAttempts; ++attempt) {
    const std::optional<WritePlace> place = findWritePlace(path);
    if (!place) return false;
    bool created = false;
    UniqueFd locked = openForLock(*place, created);
    // Something appeared or was swapped at the name meanwhile: look again.
    if (!locked && (errno == EEXIST || errno == ELOOP)) continue;
    if (!locked || !lockExclusive(locked.get())) return false;
    struct stat lockedStatus {};
    struct stat currentStatus {};
    if (::fstat(locked.get(), &lockedStatus) != 0) return false;
    const bool stillThere = ::fstatat(place->folder.get(), place->name.c_str(), &currentStatus,
                                      AT_SYMLINK_NOFOLLOW) == 0 &&
                            currentStatus.st_dev == lockedStatus.st_dev &&
                            currentStatus.st_ino == lockedStatus.st_ino;
    if (!stillThere) continue;
    // A file made only to be locked goes again unless the edit wrote it,
    // also when the edit throws (out of memory).
    Outcome outcome = Outcome::Failed;
    try {
      outcome = editLocked(*place, locked.get(), lockedStatus, edit);
    } catch (...) {
      if (created) ::unlinkat(place->folder.get(), place->name.c_str(), 0);
      throw;
    }
    if (created && outcome != Outcome::Written)
      ::unlinkat(place->folder.get(), place->name.c_str(), 0);
    return outcome != Outcome::Failed;
  }
  return false;
}

}  // namespace zarn
