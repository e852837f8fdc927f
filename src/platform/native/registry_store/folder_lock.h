// An exclusive lock on a folder, which makes the processes that set up a
// store file in it take turns. It is a flock(2) lock on the folder itself,
// so it needs no file of its own and is released when its holder dies, and it
// is apart from the byte-range locks SQLite takes on the store's files.
#pragma once

#include <chrono>
#include <filesystem>

namespace zarn {

class FolderLock {
 public:
  // Waits at most patience for the lock. A folder that cannot be opened, or
  // a lock another process holds for longer, leaves the lock untaken: the
  // work it guards must still be safe then, only no longer in turns.
  FolderLock(const std::filesystem::path& folder, std::chrono::milliseconds patience);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

}  // namespace zarn
