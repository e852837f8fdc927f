// Why ProfileService::WritePrivateProfileStringA just returned false, as the
// platform tells it, and that reason in the words a message shows.
#pragma once

#include <string>

namespace zarn {

// The reason the calling thread's last profile write failed: GetLastError()
// on Windows, errno natively (profile_service.h). Read it right after the
// write, before anything else can change it. Never 0: a failure the
// platform left unexplained gets a number that says so.
int lastProfileWriteError();

// That reason in words: "permission denied", "folder missing", "a link
// refused", "disk full" for the reasons both targets share; the platform's
// own words, or its number, for the rest.
std::string profileWriteErrorText(int error);

}  // namespace zarn
