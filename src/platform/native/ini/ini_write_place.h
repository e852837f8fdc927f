// Where a write to an INI path lands, found without letting anyone steer it.
//
// Writes go through symbolic links, as users rely on, but the engine follows
// them itself, one link at a time, so it applies the kernel's own rule for
// shared folders (fs.protected_symlinks) whatever the kernel is set to: a
// link in a sticky, world-writable folder such as /tmp is followed only when
// it belongs to the writer or to the folder's owner. Every step works on an
// open folder, so no link swapped in between a check and its use is
// followed; the last step is opened with O_NOFOLLOW by the caller.
#pragma once

#include <optional>
#include <string>

#include "platform/native/ini/unique_fd.h"

namespace zarn {

struct WritePlace {
  UniqueFd folder;   // the folder that holds the file
  std::string name;  // the file's name in it, which is not a link (or missing)
};

// nullopt when the path names no file (it ends in a slash, ".", ".."), when
// a folder cannot be opened, when a link may not be followed, or after 40
// links.
std::optional<WritePlace> findWritePlace(const std::string& path);

}  // namespace zarn
