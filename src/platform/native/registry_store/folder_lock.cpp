#include "platform/native/registry_store/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace zarn {

FolderLock::FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience) {
  fd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) return;
  // Polled rather than blocking, so that a lock held forever by someone else
  // costs a bounded wait.
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!(held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0)) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > deadline) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace zarn
