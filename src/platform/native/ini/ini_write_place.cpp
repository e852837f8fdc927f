#include "platform/native/ini/ini_write_place.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace zarn {
namespace {

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

}  // namespace

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

}  // namespace zarn
