// On Windows the profile write leaves its reason in the thread's last error.
#include "platform/profile_write_error.h"

#include <windows.h>

namespace zarn {

int lastProfileWriteError() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? static_cast<int>(error) : ERROR_WRITE_FAULT;
}

std::string profileWriteErrorText(int error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return "permission denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME: return "folder missing";
    case ERROR_CANT_RESOLVE_FILENAME: return "a link refused";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return "disk full";
    default: return "system error " + std::to_string(error);
  }
}

}  // namespace zarn
