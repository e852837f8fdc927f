// Reading an INI file whole, and replacing it safely.
//
// What a write promises:
// - It is never torn: the new content goes to a new file in the same folder
//   (unnamed until it is complete, where the file system allows), is flushed
//   to disk and then renamed over the old file, so a reader sees the old
//   file or the new one, never a mixture. The one exception is below.
// - Writers never lose each other's changes: each holds an exclusive lock on
//   the file for its whole read-modify-replace cycle and edits what it reads
//   under that lock. The rename puts a new file in place of the locked one,
//   so after locking the writer checks that the name still holds the file it
//   locked and starts again if not.
// - Nothing is left behind: a writer killed before its rename leaves at most
//   a temporary ".NAME.zarn-XXXXXX" beside the file, and the next write
//   removes those.
// - The file keeps its permission bits, owner and group, so no write changes
//   who may read it. When the writer may not give a new file the old one's
//   owner and group (a member of the file's group writing a team file), the
//   file is rewritten in place under the lock and flushed before the write
//   returns, as the platform edits INI files; that write alone is not
//   atomic.
// - A path that is a symbolic link (or a chain of them) is written through
//   to its target and the link stays, except that a link in a sticky,
//   world-writable folder is followed only when it belongs to the writer or
//   to the folder's owner (findWritePlace); otherwise the write fails.
// - A missing file is created; a missing folder, a file or folder that may
//   not be written, and a file without any write permission bit (the
//   platform's read-only files) make the write fail and leave everything
//   as it was.
// Files larger than maxIniFileSize are not read (a read sees no file) and
// not replaced.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zarn {

constexpr uint64_t maxIniFileSize = uint64_t{1} << 30;

// What tells one state of a file from another without reading it.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  uint64_t size = 0;
  int64_t modified = 0;  // nanoseconds
  int64_t changed = 0;   // nanoseconds, status change
  bool operator==(const FileStamp&) const = default;
};

struct FileContent {
  FileStamp stamp;
  std::string bytes;
};

// The stamp of the file at path (links followed); nullopt when there is none.
std::optional<FileStamp> stampIniFile(const std::string& path);

// The whole file; nullopt when it is missing, unreadable or too large.
std::optional<FileContent> readIniFile(const std::string& path);

// One locked read-modify-replace cycle. edit receives the current bytes (empty
// for a missing file) and returns the new bytes, or nullopt when nothing is
// to change; then nothing is written (and a file that did not exist is not
// created). Returns whether the file now holds what edit asked for.
bool replaceIniFile(const std::string& path,
                    const std::function<std::optional<std::string>(std::string bytes)>& edit);

}  // namespace zarn
