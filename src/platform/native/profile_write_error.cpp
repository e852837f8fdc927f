// Natively the profile write leaves its reason in errno: the engine's
// refusals (EINVAL) and the file system's (ini_file_io.h's replaceIniFile).
#include "platform/profile_write_error.h"

#include <cerrno>
#include <cstring>

namespace zarn {

int lastProfileWriteError() { return errno != 0 ? errno : EIO; }

std::string profileWriteErrorText(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return "permission denied";
    case ENOENT:
    case ENOTDIR: return "folder missing";
    case ELOOP: return "a link refused";
    case ENOSPC:
    case EDQUOT: return "disk full";
    case EINVAL: return "a name the file format cannot hold";
    case EFBIG: return "the file is too large";
    case EISDIR: return "not a regular file";
    default: return std::strerror(error);
  }
}

}  // namespace zarn
